# Native build: the core, its tests, the command-line tools and the benchmarks.
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)
include(GoogleTest)

add_subdirectory(tools)
add_subdirectory(tests)

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
