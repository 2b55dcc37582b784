# The module's code: one static library that the unit tests link, and the
# shared library that hosts load, which adds nothing but the export.

# Each folder owns its sources; a new file is picked up at the next
# configure without editing this list.
set(QUORVEL_FEATURE_DIRS base flaggame gold rabbit zombies shipcheck warps module)
set(QUORVEL_CORE_SOURCES)
foreach(dir IN LISTS QUORVEL_FEATURE_DIRS)
    file(GLOB_RECURSE dir_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND QUORVEL_CORE_SOURCES ${dir_sources})
endforeach()
# The entry point lives only in the shared library; the platform layer is
# chosen per platform.
list(FILTER QUORVEL_CORE_SOURCES EXCLUDE REGEX "/module/talk_export\\.cpp$")
if(WIN32)
    list(FILTER QUORVEL_CORE_SOURCES EXCLUDE REGEX "/base/platform/.*_posix\\.cpp$")
else()
    list(FILTER QUORVEL_CORE_SOURCES EXCLUDE REGEX "/base/platform/.*_windows\\.cpp$")
endif()

add_library(quorvel_core STATIC ${QUORVEL_CORE_SOURCES})
target_include_directories(quorvel_core PUBLIC ${CMAKE_SOURCE_DIR}/include ${CMAKE_SOURCE_DIR})
target_link_libraries(quorvel_core PRIVATE quorvel_warnings)

add_library(quorvel SHARED ${CMAKE_SOURCE_DIR}/module/talk_export.cpp)
target_link_libraries(quorvel PRIVATE quorvel_core quorvel_warnings)
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
