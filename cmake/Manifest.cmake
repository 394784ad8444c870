# Writes the application manifest of a deliverable for the target's architecture.
function(kest_manifest target name description)
    set(KEST_MANIFEST_NAME ${name})
    set(KEST_MANIFEST_DESCRIPTION ${description})
    configure_file(${CMAKE_SOURCE_DIR}/resources/manifest.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest @ONLY)
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
