# Runs each program of PROGRAMS (a list) with --version and checks that each
# prints its own name and the build's one version, VERSION, and nothing else.
foreach(program IN LISTS PROGRAMS)
    get_filename_component(name ${program} NAME_WE)
    execute_process(COMMAND ${program} --version
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${name} --version: exit status ${status}\n${output}\n${errors}")
    endif()
    if(NOT output STREQUAL "${name} ${VERSION}\n")
        message(FATAL_ERROR "${name} --version printed '${output}', expected '${name} ${VERSION}'")
    endif()
endforeach()
