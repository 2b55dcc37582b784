# The one version every program and package carries: the project's version,
# and the commit the build tree was configured from when the sources are a
# git checkout (`git describe --always --dirty`, read at configure time: a
# commit made since shows after the next configure).
#
#   QUORVEL_VERSION          1.10                     package names
#   QUORVEL_VERSION_FULL     1.10 (git 9cefaf8)       --version, version resources
#
# Programs include "quorvel_version.h" (target quorvel_version) for
# QUORVEL_VERSION_TEXT; quorvel_version_resource(TARGET ...) gives a Windows
# program or DLL its version resource.

set(QUORVEL_VERSION ${PROJECT_VERSION})
set(QUORVEL_VERSION_FULL ${PROJECT_VERSION})
set(QUORVEL_GIT_DESCRIBE "")
if(EXISTS ${CMAKE_SOURCE_DIR}/.git)
    find_package(Git QUIET)
    if(GIT_FOUND)
        execute_process(COMMAND ${GIT_EXECUTABLE} describe --always --dirty
                        WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                        OUTPUT_VARIABLE QUORVEL_GIT_DESCRIBE OUTPUT_STRIP_TRAILING_WHITESPACE
                        ERROR_QUIET RESULT_VARIABLE git_result)
        if(git_result EQUAL 0 AND QUORVEL_GIT_DESCRIBE)
            string(APPEND QUORVEL_VERSION_FULL " (git ${QUORVEL_GIT_DESCRIBE})")
        else()
            set(QUORVEL_GIT_DESCRIBE "")
        endif()
    endif()
endif()
message(STATUS "Quorvel ${QUORVEL_VERSION_FULL}")

set(QUORVEL_VERSION_DIR ${CMAKE_BINARY_DIR}/generated/version)
configure_file(${CMAKE_CURRENT_LIST_DIR}/quorvel_version.h.in
               ${QUORVEL_VERSION_DIR}/quorvel_version.h @ONLY)
add_library(quorvel_version INTERFACE)
target_include_directories(quorvel_version INTERFACE ${QUORVEL_VERSION_DIR})

if(WIN32)
    enable_language(RC)
    # FILEVERSION and PRODUCTVERSION take four numbers: 1.10 is 1,10,0,0.
    set(numbers ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH}
                ${PROJECT_VERSION_TWEAK})
    set(QUORVEL_VERSION_NUMBERS)
    foreach(number IN LISTS numbers)
        if(number STREQUAL "")
            set(number 0)
        endif()
        list(APPEND QUORVEL_VERSION_NUMBERS ${number})
    endforeach()
    list(JOIN QUORVEL_VERSION_NUMBERS "," QUORVEL_VERSION_NUMBERS)
endif()

# quorvel_version_resource(TARGET DESCRIPTION): on Windows, a VERSIONINFO
# resource naming the product, the file and its version, which Explorer's
# Properties > Details shows.
function(quorvel_version_resource target description)
    if(NOT WIN32)
        return()
    endif()
    get_target_property(type ${target} TYPE)
    get_target_property(name ${target} OUTPUT_NAME)
    if(NOT name)
        set(name ${target})
    endif()
    if(type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
        set(QUORVEL_RC_FILENAME "${name}.dll")
        set(QUORVEL_RC_FILETYPE "VFT_DLL")
    else()
        set(QUORVEL_RC_FILENAME "${name}.exe")
        set(QUORVEL_RC_FILETYPE "VFT_APP")
    endif()
    set(QUORVEL_RC_DESCRIPTION "${description}")
    set(rc ${QUORVEL_VERSION_DIR}/${target}.rc)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
