# The release an operator installs: `cmake --build --preset win32 --target
# package` makes quorvel-VERSION-win32.zip, `--preset release` makes
# quorvel-VERSION-linux-x86_64.tar.gz. Each holds, in one folder named like
# the package: the module, the programs the build made (quorvel-admin, and
# quorvel-host where the preset builds it), README.txt for operators, the
# examples and the docs.
#
# The module and programs go in stripped; the symbols of each are kept in the
# build folder as NAME.debug (linked from the stripped file by
# .gnu_debuglink), so a crash report of a shipped file can still be read.

if(WIN32)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(QUORVEL_PACKAGE_SYSTEM win32)
    else()
        set(QUORVEL_PACKAGE_SYSTEM win64)
    endif()
    set(QUORVEL_PACKAGE_NEWLINES CRLF)
else()
    string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" QUORVEL_PACKAGE_SYSTEM)
    set(QUORVEL_PACKAGE_NEWLINES LF)
endif()
set(QUORVEL_PACKAGE_NAME quorvel-${QUORVEL_VERSION}-${QUORVEL_PACKAGE_SYSTEM})
set(QUORVEL_DEBUG_DIR ${CMAKE_BINARY_DIR}/debug)

# quorvel_install_binary(TARGET): installs TARGET's file at the package's top,
# stripped, its symbols kept as debug/FILE.debug in the build folder, and
# says how big it went in and how big it was.
function(quorvel_install_binary target)
    install(TARGETS ${target} RUNTIME DESTINATION . LIBRARY DESTINATION .)
    if(NOT CMAKE_OBJCOPY)
        return()
    endif()
    set(file $<TARGET_FILE_NAME:${target}>)
    install(CODE "
        set(built \"$<TARGET_FILE:${target}>\")
        set(installed \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${file}\")
        set(debug \"${QUORVEL_DEBUG_DIR}/${file}.debug\")
        file(MAKE_DIRECTORY \"${QUORVEL_DEBUG_DIR}\")
        execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --only-keep-debug \"\${built}\" \"\${debug}\"
                        RESULT_VARIABLE kept)
        execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --strip-all \"--add-gnu-debuglink=\${debug}\"
                                \"\${installed}\"
                        RESULT_VARIABLE stripped)
        if(NOT kept EQUAL 0 OR NOT stripped EQUAL 0)
            message(FATAL_ERROR \"${file}: keeping its symbols in \${debug} and stripping it failed\")
        endif()
        file(SIZE \"\${built}\" before)
        file(SIZE \"\${installed}\" after)
        message(STATUS \"${file}: \${after} bytes stripped (\${before} as built, symbols in \${debug})\")
    ")
endfunction()

quorvel_install_binary(quorvel)
foreach(program quorvel-host quorvel-admin)
    if(TARGET ${program})
        quorvel_install_binary(${program})
    endif()
endforeach()

# README.txt lists what this package holds.
function(quorvel_readme_line file what)
    string(LENGTH "${file}" length)
    math(EXPR pad "21 - ${length}")
    string(REPEAT " " ${pad} spaces)
    set(QUORVEL_README_FILES "${QUORVEL_README_FILES}  ${file}${spaces}${what}${newline}"
        PARENT_SCOPE)
endfunction()
# configure_file's NEWLINE_STYLE converts the template's lines, not the
# values put into them.
if(QUORVEL_PACKAGE_NEWLINES STREQUAL "CRLF")
    set(newline "\r\n")
else()
    set(newline "\n")
endif()
set(QUORVEL_README_FILES "")
if(WIN32)
    set(suffix .exe)
    quorvel_readme_line(Quorvel.dll "the module the host loads")
    set(QUORVEL_README_VERSION_NOTE
        "Quorvel.dll and the programs carry it in their Properties (Details tab).${newline}")
else()
    set(suffix "")
    quorvel_readme_line(libquorvel.so "the module the host loads")
    set(QUORVEL_README_VERSION_NOTE "")
endif()
if(TARGET quorvel-admin)
    quorvel_readme_line(quorvel-admin${suffix} "checks and reports a bot folder's economy offline")
endif()
if(TARGET quorvel-host)
    quorvel_readme_line(quorvel-host${suffix} "plays sessions against the module, to try settings")
endif()
quorvel_readme_line(examples/arena/ "a complete set of settings files to start from")
if(TARGET quorvel-host)
    quorvel_readme_line(examples/*.scn "sessions to play with quorvel-host")
endif()
quorvel_readme_line(README.md "what Quorvel is, and a page of docs/ for each topic")
configure_file(${CMAKE_SOURCE_DIR}/packaging/README.txt ${CMAKE_BINARY_DIR}/packaging/README.txt
               @ONLY NEWLINE_STYLE ${QUORVEL_PACKAGE_NEWLINES})
install(FILES ${CMAKE_BINARY_DIR}/packaging/README.txt DESTINATION .)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples ${CMAKE_SOURCE_DIR}/docs DESTINATION .)
# The pages of docs/ lead back to these two: the package holds them where
# the pages look for them.
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/host/README.md DESTINATION host)

set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR Quorvel)
set(CPACK_PACKAGE_VERSION ${QUORVEL_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${QUORVEL_PACKAGE_NAME})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
if(WIN32)
    set(CPACK_GENERATOR ZIP)
else()
    set(CPACK_GENERATOR TGZ)
endif()
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_VERBATIM_VARIABLES ON)
# Each package's size, once it is made.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/package_sizes.cmake)
include(CPack)
