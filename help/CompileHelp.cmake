# cmake -DCHMCMD=... -DSOURCE_DIR=... -DSTAGE_DIR=... -DOUTPUT=... -P CompileHelp.cmake
# Compiles the help project of SOURCE_DIR with chmcmd in a copy of its sources and copies the
# result to OUTPUT. chmcmd reports missing files and undefined anchors but still succeeds;
# here they fail the build, and its notes are printed only then.
file(REMOVE_RECURSE ${STAGE_DIR})
file(GLOB sources ${SOURCE_DIR}/*.htm ${SOURCE_DIR}/*.css ${SOURCE_DIR}/*.hhp ${SOURCE_DIR}/*.hhc ${SOURCE_DIR}/*.hhk)
file(COPY ${sources} DESTINATION ${STAGE_DIR})
execute_process(
    COMMAND ${CHMCMD} --verbosity 1 kesthelp.hhp
    WORKING_DIRECTORY ${STAGE_DIR}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR output MATCHES "(^|\n)(Warning|Error):" OR NOT EXISTS ${STAGE_DIR}/kesthelp.chm)
    message(FATAL_ERROR "chmcmd failed on ${SOURCE_DIR}/kesthelp.hhp:\n${output}")
endif()
file(COPY_FILE ${STAGE_DIR}/kesthelp.chm ${OUTPUT})
