# The modem profile the program ships: Hayes.mdm, generated from
# tools/modem/make_hayes.py. In the Windows build it goes beside palvex32.exe
# (the installation directory the program reads profiles from) and is
# installed with it; natively it is made for the tests. Either way the
# phone book tests get its path as PALVEX_HAYES_MDM.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(PALVEX_HAYES_GENERATOR ${CMAKE_SOURCE_DIR}/tools/modem/make_hayes.py)
if(TARGET palvex32)
  get_target_property(PALVEX_PROFILE_DIR palvex32 RUNTIME_OUTPUT_DIRECTORY)
  if(NOT PALVEX_PROFILE_DIR)
    get_target_property(PALVEX_PROFILE_DIR palvex32 BINARY_DIR)
  endif()
else()
  set(PALVEX_PROFILE_DIR ${CMAKE_BINARY_DIR}/modem)
endif()
set(PALVEX_HAYES_MDM ${PALVEX_PROFILE_DIR}/Hayes.mdm)

add_custom_command(
  OUTPUT ${PALVEX_HAYES_MDM}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PALVEX_PROFILE_DIR}
  COMMAND ${Python3_EXECUTABLE} ${PALVEX_HAYES_GENERATOR} ${PALVEX_HAYES_MDM}
  DEPENDS ${PALVEX_HAYES_GENERATOR}
  COMMENT "Generating the Hayes modem profile"
  VERBATIM)
add_custom_target(modem_profiles ALL DEPENDS ${PALVEX_HAYES_MDM})

if(TARGET palvex32)
  add_dependencies(palvex32 modem_profiles)
  install(FILES ${PALVEX_HAYES_MDM} DESTINATION .)
endif()

if(TARGET phonebook_tests)
  add_dependencies(phonebook_tests modem_profiles)
  # Wine sees the build folder through drive Z:.
  if(WIN32)
    target_compile_definitions(phonebook_tests PRIVATE "PALVEX_HAYES_MDM=\"Z:${PALVEX_HAYES_MDM}\"")
  else()
    target_compile_definitions(phonebook_tests PRIVATE "PALVEX_HAYES_MDM=\"${PALVEX_HAYES_MDM}\"")
  endif()
endif()
