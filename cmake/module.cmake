# The module's code: one static library per layer, and the shared library
# that hosts load, which adds nothing but the export.
#
# Each layer sees only the folders it declares: its sources are compiled
# against a folder of links (build/layers/NAME) that holds the layer itself
# and what it USES, never the source root, so `#include "module/..."` from a
# service, or a service's header from a service that does not declare it,
# is a compile error. base/ uses nothing.

set(QUORVEL_LAYER_TARGETS)

function(quorvel_layer name)
    cmake_parse_arguments(LAYER "" "" "USES" ${ARGN})
    # Each folder owns its sources; a new file is picked up at the next
    # configure without editing this list.
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${name}/*.cpp)
    # The entry point lives only in the shared library; the platform layer
    # is chosen per platform.
    list(FILTER sources EXCLUDE REGEX "/module/talk_export\\.cpp$")
    if(WIN32)
        list(FILTER sources EXCLUDE REGEX "/base/platform/.*_posix\\.cpp$")
    else()
        list(FILTER sources EXCLUDE REGEX "/base/platform/.*_windows\\.cpp$")
    endif()

    set(view ${CMAKE_BINARY_DIR}/layers/${name})
    file(REMOVE_RECURSE ${view})
    file(MAKE_DIRECTORY ${view})
    foreach(seen IN ITEMS ${name} ${LAYER_USES})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${seen} ${view}/${seen} SYMBOLIC RESULT made)
        if(NOT made EQUAL 0)
            message(FATAL_ERROR "Could not link ${view}/${seen} to ${CMAKE_SOURCE_DIR}/${seen} "
                                "(${made}): the layers' include folders are symbolic links.")
        endif()
    endforeach()

    set(target quorvel_${name})
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PRIVATE ${view})
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/include)
    target_link_libraries(${target} PRIVATE quorvel_warnings)
    foreach(used IN LISTS LAYER_USES)
        target_link_libraries(${target} PUBLIC quorvel_${used})
    endforeach()
    set(QUORVEL_LAYER_TARGETS ${QUORVEL_LAYER_TARGETS} ${target} PARENT_SCOPE)
endfunction()

# Each layer declares itself and what it uses in its folder's layer.cmake,
# so a new service is its folder; module/ uses every other layer.
file(GLOB QUORVEL_LAYER_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/*/layer.cmake)
set(QUORVEL_SERVICE_LAYERS)
foreach(layer_file IN LISTS QUORVEL_LAYER_FILES)
    get_filename_component(layer_dir ${layer_file} DIRECTORY)
    get_filename_component(layer_name ${layer_dir} NAME)
    if(NOT layer_name STREQUAL "module")
        include(${layer_file})
        if(NOT layer_name STREQUAL "base")
            list(APPEND QUORVEL_SERVICE_LAYERS ${layer_name})
        endif()
    endif()
endforeach()
include(${CMAKE_SOURCE_DIR}/module/layer.cmake)

# What the tools, tests and benchmarks build on: the whole module, with the
# source root on the include path (they stand above every layer).
add_library(quorvel_core INTERFACE)
target_link_libraries(quorvel_core INTERFACE quorvel_module)
target_include_directories(quorvel_core INTERFACE ${CMAKE_SOURCE_DIR}/include ${CMAKE_SOURCE_DIR})

add_library(quorvel SHARED ${CMAKE_SOURCE_DIR}/module/talk_export.cpp)
target_include_directories(quorvel PRIVATE ${CMAKE_BINARY_DIR}/layers/module)
target_link_libraries(quorvel PRIVATE quorvel_module quorvel_warnings)
if(WIN32)
    set_target_properties(quorvel PROPERTIES OUTPUT_NAME Quorvel PREFIX "")
    target_sources(quorvel PRIVATE ${CMAKE_SOURCE_DIR}/module/quorvel.def)
    if(MINGW)
        # No MinGW runtime DLL beside the module: the C++ runtime and the
        # threads library are linked in.
        target_link_options(quorvel PRIVATE -static -static-libgcc -static-libstdc++
                            -Wl,--kill-at -Wl,--enable-stdcall-fixup)
    endif()
else()
    set_target_properties(quorvel PROPERTIES OUTPUT_NAME quorvel)
    # Keep the static C++ runtime's symbols out of the module's export table.
    target_link_options(quorvel PRIVATE -Wl,--exclude-libs,ALL)
endif()
quorvel_version_resource(quorvel "Quorvel zone bot module")
