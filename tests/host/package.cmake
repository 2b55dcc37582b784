# Installs the build as its package lays it out (into PREFIX, emptied
# first) and checks what an operator gets: exactly BINARIES, README.txt,
# README.md, host/README.md and the source tree's examples/ and docs/, every
# link of those pages leading to a file the package holds; each binary
# stripped with its
# symbols kept in the build folder; and the installed quorvel-host, started
# with nothing but a scenario, loads the installed module and seeds its
# folder from the installed example arena.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "install failed (${status}):\n${output}\n${errors}")
endif()

file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${PREFIX} ${PREFIX}/*)
file(GLOB_RECURSE expected LIST_DIRECTORIES false RELATIVE ${SOURCE}
     ${SOURCE}/examples/* ${SOURCE}/docs/*)
list(APPEND expected ${BINARIES} README.txt README.md host/README.md)
list(SORT found)
list(SORT expected)
if(NOT found STREQUAL expected)
    set(missing ${expected})
    list(REMOVE_ITEM missing ${found})
    set(extra ${found})
    list(REMOVE_ITEM extra ${expected})
    message(FATAL_ERROR "the package's files differ: missing '${missing}', not expected '${extra}'")
endif()

# The pages' links, read as a reader of the unpacked folder follows them.
file(GLOB_RECURSE pages LIST_DIRECTORIES false RELATIVE ${PREFIX} ${PREFIX}/*.md)
set(broken "")
foreach(page IN LISTS pages)
    file(READ ${PREFIX}/${page} text)
    # A bracket in a list item keeps CMake from splitting the list there:
    # each link's target is marked without its brackets first.
    string(REPLACE "](" "\n=>" text "${text}")
    string(REGEX MATCHALL "\n=>[^):# \n]+" links "${text}")
    get_filename_component(folder ${PREFIX}/${page} DIRECTORY)
    foreach(link IN LISTS links)
        string(SUBSTRING "${link}" 3 -1 target)
        if(NOT EXISTS ${folder}/${target})
            list(APPEND broken "${page} -> ${target}")
        endif()
    endforeach()
endforeach()
if(broken)
    message(FATAL_ERROR "links of the packaged pages lead nowhere: ${broken}")
endif()

foreach(binary IN LISTS BINARIES)
    execute_process(COMMAND ${OBJDUMP} -h ${PREFIX}/${binary} OUTPUT_VARIABLE sections)
    if(sections MATCHES "\\.debug_" OR NOT sections MATCHES "\\.gnu_debuglink")
        message(FATAL_ERROR "${binary} is not stripped with a link to its symbols:\n${sections}")
    endif()
    if(NOT EXISTS ${BUILD}/debug/${binary}.debug)
        message(FATAL_ERROR "the symbols of ${binary} are not kept in ${BUILD}/debug")
    endif()
endforeach()

# The operator's trial: the installed host, no --module, no --seed.
file(APPEND ${PREFIX}/examples/arena/quorvel.ini "; the packaged arena\n")
file(WRITE ${PREFIX}/trial.scn "expect file quorvel.ini contains \"; the packaged arena\"\n")
execute_process(COMMAND ${PREFIX}/quorvel-host --cleanup ${PREFIX}/trial.scn
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT output MATCHES "module: ${PREFIX}/")
    message(FATAL_ERROR "the installed quorvel-host did not play from the package (${status}):\n"
                        "${output}\n${errors}")
endif()
execute_process(COMMAND ${PREFIX}/quorvel-host -q --cleanup ${PREFIX}/examples/demo.scn
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the installed demo failed (${status}):\n${output}\n${errors}")
endif()
