# Runs quorvel-host and checks its exit status and what it printed on
# standard error. Called by ctest with -DHOST= -DARGS= (a list) -DSTATUS=
# -DPATTERN= -DINPUT= (the standard input), and -DOUTPUT_PATTERN= for what it
# printed on standard output when that matters, and -DFRESH= a folder removed
# before the run, so that the run finds it missing.
if(DEFINED FRESH)
    file(REMOVE_RECURSE ${FRESH})
endif()
execute_process(COMMAND ${HOST} ${ARGS}
    RESULT_VARIABLE status
    OUTPUT_VARIABLE output
    ERROR_VARIABLE errors
    INPUT_FILE ${INPUT})
if(NOT status EQUAL STATUS)
    message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\n${output}\n${errors}")
endif()
if(NOT errors MATCHES "${PATTERN}")
    message(FATAL_ERROR "standard error does not match '${PATTERN}':\n${errors}")
endif()
if(DEFINED OUTPUT_PATTERN AND NOT output MATCHES "${OUTPUT_PATTERN}")
    message(FATAL_ERROR "standard output does not match '${OUTPUT_PATTERN}':\n${output}")
endif()
