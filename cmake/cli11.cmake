# CLI11, the command-line parser of quorvel-host and quorvel-admin:
# QUORVEL_CLI11_INCLUDE is the folder that holds CLI/CLI.hpp.
find_path(QUORVEL_CLI11_INCLUDE CLI/CLI.hpp)
if(NOT QUORVEL_CLI11_INCLUDE AND CMAKE_CROSSCOMPILING)
    # CLI11 is headers only, so the build machine's copy serves a cross build
    # too; it is copied to a folder of its own because putting the build
    # machine's include folder on the path would hide the target's C library.
    find_path(QUORVEL_CLI11_BUILD_MACHINE_INCLUDE CLI/CLI.hpp NO_CMAKE_FIND_ROOT_PATH)
    if(QUORVEL_CLI11_BUILD_MACHINE_INCLUDE)
        file(COPY ${QUORVEL_CLI11_BUILD_MACHINE_INCLUDE}/CLI
             DESTINATION ${CMAKE_BINARY_DIR}/cli11-include)
        set(QUORVEL_CLI11_INCLUDE ${CMAKE_BINARY_DIR}/cli11-include
            CACHE PATH "CLI11 headers" FORCE)
    endif()
endif()
if(NOT QUORVEL_CLI11_INCLUDE)
    message(FATAL_ERROR "quorvel-host and quorvel-admin need CLI11 (Debian: libcli11-dev)")
endif()
