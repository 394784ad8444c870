# GoogleTest from Debian's source package, built with the cross compiler.
set(KEST_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(NOT EXISTS ${KEST_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${KEST_GOOGLETEST_SOURCE} (apt-get install googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${KEST_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(lib gtest gtest_main gmock gmock_main)
    if(TARGET ${lib})
        target_compile_options(${lib} PRIVATE -w)
    endif()
endforeach()

# One test executable is one ctest test: Wine starts a process in about a second, so the
# tests of a subsystem share a process. Tests run with the test folder as working directory.
# Each ends every process it started when it ends (ChildProcessJob.cpp). TIMEOUT, in seconds,
# is a little above what the test takes on a loaded machine: a hang costs minutes, not ten.
function(kest_test_executable name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBRARIES" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    add_executable(${name} ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/ChildProcessJob.cpp
                           ${CMAKE_SOURCE_DIR}/tests/support/FileBytes.cpp)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} gmock gtest_main)
    target_compile_definitions(${name} PRIVATE KEST_OUTPUT_DIR="${KEST_OUTPUT_DIR}")
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name}
             COMMAND ${name} --gtest_color=no
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
endfunction()
