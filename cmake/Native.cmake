# Native build: the core, its tests, the command-line tools and the benchmarks.
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)
include(GoogleTest)

add_subdirectory(tools)
add_subdirectory(tests)
