# Writes the application manifest of a deliverable for the target's architecture. A program
# (APPLICATION) also declares per-monitor DPI awareness and the systems it was tested on; a
# library does not, because the process that loads it decides both.
function(kest_manifest target name description)
    cmake_parse_arguments(ARG "APPLICATION" "" "" ${ARGN})
    set(KEST_MANIFEST_NAME ${name})
    set(KEST_MANIFEST_DESCRIPTION ${description})
    set(KEST_MANIFEST_APPLICATION "")
    if(ARG_APPLICATION)
        set(settings ${CMAKE_SOURCE_DIR}/resources/manifest-application.xml)
        file(READ ${settings} KEST_MANIFEST_APPLICATION)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${settings})
    endif()
    set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    configure_file(${CMAKE_SOURCE_DIR}/resources/manifest.in ${manifest} @ONLY)
    # The resource compiler reports no dependencies: a changed manifest must rebuild the script.
    get_target_property(sources ${target} SOURCES)
    foreach(source ${sources})
        if(source MATCHES "\\.rc$")
            set_property(SOURCE ${source} APPEND PROPERTY OBJECT_DEPENDS ${manifest})
        endif()
    endforeach()
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
