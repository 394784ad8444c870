# cmake -DFROM=... -DTO=... -DSTRIP=... -DFILES=a;b -P StageFiles.cmake
# Copies the program files the setup program packs from a build's output folder into TO,
# with the debug information of the programs and libraries left out (the builds are
# RelWithDebInfo; the unstripped files stay in the output folder for debugging).
file(REMOVE_RECURSE ${TO})
file(MAKE_DIRECTORY ${TO})
foreach(file ${FILES})
    if(NOT EXISTS ${FROM}/${file})
        message(FATAL_ERROR "${FROM}/${file} is missing")
    endif()
    if(file MATCHES "\\.(dll|exe)$")
        execute_process(COMMAND ${STRIP} --strip-debug -o ${TO}/${file} ${FROM}/${file} RESULT_VARIABLE result)
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "${STRIP} failed on ${FROM}/${file}")
        endif()
    else()
        file(COPY_FILE ${FROM}/${file} ${TO}/${file})
    endif()
endforeach()
