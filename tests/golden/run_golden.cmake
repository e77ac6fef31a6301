cmake_minimum_required(VERSION 3.25)
# One golden frame: draws it with vessmark-show, the way of drawing named by
# PATH, and compares it with the committed picture. With
# VESSMARK_GOLDEN_REGENERATE=1 in the environment the new picture replaces the
# committed one instead (tools/golden).
execute_process(COMMAND ${SHOW} --offscreen ${OPTIONS} --output ${OUTPUT}
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "vessmark-show failed (${result}): ${out}${err}")
endif()
message(STATUS "${out}")
if(NOT out MATCHES ", ${PATH} path\\)")
    message(FATAL_ERROR "vessmark-show did not draw the ${PATH} way: ${out}")
endif()

if("$ENV{VESSMARK_GOLDEN_REGENERATE}" STREQUAL "1")
    # One picture per case, from the default way of drawing; the other way
    # is then held to it.
    if(NOT PATH STREQUAL "instanced")
        return()
    endif()
    file(COPY_FILE ${OUTPUT} ${GOLDEN})
    message(STATUS "regenerated ${GOLDEN}")
    return()
endif()

string(REGEX REPLACE "\\.png$" ".diff.png" difference ${OUTPUT})
execute_process(COMMAND ${COMPARE} ${GOLDEN} ${OUTPUT} ${difference} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the frame differs from ${GOLDEN}: see ${OUTPUT} and ${difference}")
endif()
