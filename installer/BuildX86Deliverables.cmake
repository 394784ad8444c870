# cmake -DSOURCE_DIR=... -DBUILD_DIR=... -DFILES=a;b -P BuildX86Deliverables.cmake
# Brings the x86 deliverables that the installer packs up to date: configures BUILD_DIR with
# the x86 preset when it has no build yet, builds the deliverables there and checks that each
# of FILES is in its output folder.
if(NOT EXISTS ${BUILD_DIR}/CMakeCache.txt)
    if(NOT BUILD_DIR STREQUAL "${SOURCE_DIR}/build/x86")
        message(FATAL_ERROR "${BUILD_DIR} holds no build; configure it for x86 first")
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} --preset x86 WORKING_DIRECTORY ${SOURCE_DIR}
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "configuring the x86 preset failed")
    endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target kestbar kestshx kestconf kestfloat kesthelp
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "building the x86 deliverables in ${BUILD_DIR} failed")
endif()
foreach(file ${FILES})
    if(NOT EXISTS ${BUILD_DIR}/bin/${file})
        message(FATAL_ERROR "${BUILD_DIR}/bin/${file} is missing after the x86 build")
    endif()
endforeach()
