# Windows build (MinGW-w64 cross compile): the core, the Win32 adapters,
# palvex32.exe, and the tests, which CTest runs under Wine.
enable_language(RC)

# Win32 headers only where they are meant to be: the adapters and their users.
set(PALVEX_WIN_DEFINITIONS NOMINMAX STRICT)

# GoogleTest from Debian's source package, built with the cross compiler.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The Win32 adapters: COM backend, window and dialog procedures, GDI.
file(GLOB_RECURSE PALVEX_WIN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*/win/*.cpp)
list(FILTER PALVEX_WIN_SOURCES EXCLUDE REGEX "/shell/win/win_main\\.cpp$")
list(FILTER PALVEX_WIN_SOURCES EXCLUDE REGEX "/shell/win/bwcc/")
add_library(palvex_win STATIC ${PALVEX_WIN_SOURCES})
target_compile_definitions(palvex_win PUBLIC ${PALVEX_WIN_DEFINITIONS})
target_link_libraries(palvex_win PUBLIC palvex_core user32 gdi32 comdlg32)

set(PALVEX_RESOURCES ${CMAKE_SOURCE_DIR}/resources/palvex32.rc)

add_executable(palvex32 WIN32 ${CMAKE_SOURCE_DIR}/src/shell/win/win_main.cpp ${PALVEX_RESOURCES})
target_link_libraries(palvex32 PRIVATE palvex_win)
target_link_options(palvex32 PRIVATE -mwindows)

# bwcc32.dll: the dialog classes the templates name. The program loads it at
# run time from its own folder, so it is built with the exe and put beside it.
add_library(bwcc32 SHARED ${CMAKE_SOURCE_DIR}/src/shell/win/bwcc/bwcc32.cpp)
set_target_properties(bwcc32 PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY $<TARGET_FILE_DIR:palvex32>)
target_include_directories(bwcc32 PRIVATE ${CMAKE_SOURCE_DIR}/resources)
target_compile_definitions(bwcc32 PRIVATE ${PALVEX_WIN_DEFINITIONS})
target_link_libraries(bwcc32 PRIVATE user32 gdi32)
# Undecorated export names on i686, as GetProcAddress asks for "BWCCRegister".
target_link_options(bwcc32 PRIVATE -static -Wl,--kill-at)
add_dependencies(palvex32 bwcc32)
install(TARGETS palvex32 bwcc32 RUNTIME DESTINATION . ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)

# palvex.kbd: the keymap the program loads from its own folder, with every
# terminal type's shipped keys in both halves. Written once into keymap/, then
# copied beside the exe (a rule's output cannot name the exe's folder).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(PALVEX_KEYMAP_FILE ${CMAKE_BINARY_DIR}/keymap/palvex.kbd)
add_custom_command(OUTPUT ${PALVEX_KEYMAP_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/keymap
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/keymap/make_keymap.py ${PALVEX_KEYMAP_FILE}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/keymap/make_keymap.py
  COMMENT "Writing palvex.kbd" VERBATIM)
add_custom_target(palvex_keymap ALL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PALVEX_KEYMAP_FILE} $<TARGET_FILE_DIR:palvex32>/palvex.kbd
  DEPENDS ${PALVEX_KEYMAP_FILE} VERBATIM)
add_dependencies(palvex32 palvex_keymap)
install(FILES ${PALVEX_KEYMAP_FILE} DESTINATION . EXCLUDE_FROM_ALL)

# The core tests, one executable per folder. Each is registered as one test:
# starting Wine costs seconds, so per-test discovery would dominate the run.
file(GLOB PALVEX_TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_library(palvex_test_support STATIC ${PALVEX_TEST_SUPPORT})
target_include_directories(palvex_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(palvex_test_support PUBLIC palvex_core gtest)

foreach(sub IN ITEMS phonebook comm terminal shell utils transfer)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${sub}/*_test.cpp)
  # *_posix_test.cpp need a Linux pty and stay native.
  list(FILTER sources EXCLUDE REGEX "_posix_test\\.cpp$")
  if(sources)
    add_executable(${sub}_tests ${sources})
    target_link_libraries(${sub}_tests PRIVATE palvex_test_support gtest_main)
    add_test(NAME ${sub} COMMAND ${sub}_tests --gtest_brief=1)
    set_tests_properties(${sub} PROPERTIES LABELS "wine;${sub}" TIMEOUT 600)
  endif()
endforeach()

# The keymap tests read the generated file through drive Z:.
if(TARGET terminal_tests)
  add_dependencies(terminal_tests palvex_keymap)
  target_compile_definitions(terminal_tests PRIVATE "PALVEX_KEYMAP_FILE=\"Z:${PALVEX_KEYMAP_FILE}\"")
endif()

add_subdirectory(${CMAKE_SOURCE_DIR}/tests/win ${CMAKE_BINARY_DIR}/tests/win)

# The shell's dialogs and dialog libraries under Wine. The first finds
# bwcc32.dll beside itself; the second runs from a folder without it.
file(GLOB PALVEX_SHELL_DIALOG_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/shell_dialogs_*_test.cpp)
list(FILTER PALVEX_SHELL_DIALOG_TESTS EXCLUDE REGEX "_nodll_test\\.cpp$")
add_executable(shell_dialogs_tests ${PALVEX_SHELL_DIALOG_TESTS} ${PALVEX_RESOURCES})
target_link_libraries(shell_dialogs_tests PRIVATE palvex_win gtest_main)
set_target_properties(shell_dialogs_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY $<TARGET_FILE_DIR:bwcc32>)
add_dependencies(shell_dialogs_tests bwcc32)
add_test(NAME shell_dialogs COMMAND shell_dialogs_tests --gtest_brief=1)
set_tests_properties(shell_dialogs PROPERTIES LABELS "wine;shell" TIMEOUT 300)

add_executable(shell_dialogs_nodll_tests ${CMAKE_SOURCE_DIR}/tests/win/shell_dialogs_nodll_test.cpp ${PALVEX_RESOURCES})
set_target_properties(shell_dialogs_nodll_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/nodll)
target_link_libraries(shell_dialogs_nodll_tests PRIVATE palvex_win gtest_main)
add_test(NAME shell_dialogs_nodll COMMAND shell_dialogs_nodll_tests --gtest_brief=1
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests/nodll)
set_tests_properties(shell_dialogs_nodll PROPERTIES LABELS "wine;shell" TIMEOUT 300)
include(${CMAKE_SOURCE_DIR}/cmake/ModemProfiles.cmake)
