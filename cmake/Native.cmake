# Native build: the core, its tests, the command-line tools and the benchmarks.
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)
include(GoogleTest)

add_subdirectory(tools)
add_subdirectory(tests)

# The installed keymap, generated here for the tests that read it as the
# program does.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(PALVEX_KEYMAP_FILE ${CMAKE_BINARY_DIR}/keymap/palvex.kbd)
add_custom_command(OUTPUT ${PALVEX_KEYMAP_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/keymap
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/keymap/make_keymap.py ${PALVEX_KEYMAP_FILE}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/keymap/make_keymap.py
  COMMENT "Writing palvex.kbd" VERBATIM)
add_custom_target(palvex_keymap ALL DEPENDS ${PALVEX_KEYMAP_FILE})
if(TARGET terminal_tests)
  add_dependencies(terminal_tests palvex_keymap)
  target_compile_definitions(terminal_tests PRIVATE PALVEX_KEYMAP_FILE="${PALVEX_KEYMAP_FILE}")
endif()

# One target for the command-line tools, so that running the program does not
# have to build every test first.
function(palvex_collect_executables dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  set(found)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
      list(APPEND found ${target})
    endif()
  endforeach()
  foreach(subdir IN LISTS subdirs)
    palvex_collect_executables(${subdir} below)
    list(APPEND found ${below})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

palvex_collect_executables(${CMAKE_SOURCE_DIR}/tools PALVEX_TOOL_TARGETS)
add_custom_target(palvex_tools)
if(PALVEX_TOOL_TARGETS)
  add_dependencies(palvex_tools ${PALVEX_TOOL_TARGETS})
endif()
include(${CMAKE_SOURCE_DIR}/cmake/ModemProfiles.cmake)
add_subdirectory(${CMAKE_SOURCE_DIR}/tests/tools ${CMAKE_BINARY_DIR}/tests/tools)
