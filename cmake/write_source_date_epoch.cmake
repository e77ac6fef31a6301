# Writes the release's time (tools/source-date-epoch) to OUT, leaving the
# file untouched when it already holds it. Inputs: SOURCE_DIR OUT
execute_process(COMMAND ${SOURCE_DIR}/tools/source-date-epoch
    OUTPUT_VARIABLE epoch ERROR_VARIABLE error RESULT_VARIABLE failed OUTPUT_STRIP_TRAILING_WHITESPACE)
if(failed)
    message(FATAL_ERROR "${error}")
endif()
if(EXISTS "${OUT}")
    file(READ "${OUT}" before)
    if(before STREQUAL epoch)
        return()
    endif()
endif()
file(WRITE "${OUT}" "${epoch}")
