cmake_minimum_required(VERSION 3.25)
# Runs of the real vessmark-show --offscreen, checked through its state dump and
# its exit status. SHOW is the program, WORK a scratch folder, CASE the check.

file(MAKE_DIRECTORY ${WORK})

function(show expected_result)
    execute_process(COMMAND ${SHOW} ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT result EQUAL expected_result)
        message(FATAL_ERROR "vessmark-show ${ARGN}\nexited with ${result}, expected ${expected_result}:\n${out}${err}")
    endif()
    set(show_out "${out}" PARENT_SCOPE)
    set(show_err "${err}" PARENT_SCOPE)
endfunction()

set(common --offscreen --size 96x64 --output ${WORK}/${CASE}.png)

if(CASE STREQUAL "repeatable")
    # The same seed and steps give the same objects, bit for bit.
    show(0 ${common} --seed 99 --step-ms 17 --frames 90 --dump ${WORK}/first.csv)
    show(0 ${common} --seed 99 --step-ms 17 --frames 90 --dump ${WORK}/second.csv)
    show(0 ${common} --seed 100 --step-ms 17 --frames 90 --dump ${WORK}/other.csv)
    file(SHA256 ${WORK}/first.csv first)
    file(SHA256 ${WORK}/second.csv second)
    file(SHA256 ${WORK}/other.csv other)
    if(NOT first STREQUAL second)
        message(FATAL_ERROR "two runs with seed 99 differ")
    endif()
    if(first STREQUAL other)
        message(FATAL_ERROR "seeds 99 and 100 gave the same show")
    endif()
    file(STRINGS ${WORK}/first.csv lines)
    list(LENGTH lines count)
    if(NOT count EQUAL 411)
        message(FATAL_ERROR "expected a header and 410 objects, got ${count} lines")
    endif()

elseif(CASE STREQUAL "first_frame")
    # The first frame's step is the time between two reads of the clock within
    # that frame: nothing has speed yet.
    show(0 ${common} --seed 5 --step-ms 40 --frames 1 --dump ${WORK}/first_frame.csv)
    file(STRINGS ${WORK}/first_frame.csv lines)
    list(POP_FRONT lines header)
    foreach(line IN LISTS lines)
        if(NOT line MATCHES "^[0-9]+,(leader|follower),[^,]+,[^,]+,[^,]+,0,0,0,")
            message(FATAL_ERROR "moving after the first frame: ${line}")
        endif()
    endforeach()
    show(0 ${common} --seed 5 --step-ms 40 --frames 2 --dump ${WORK}/second_frame.csv)
    file(STRINGS ${WORK}/second_frame.csv lines)
    list(GET lines 1 leader)
    if(leader MATCHES "^[0-9]+,leader,[^,]+,[^,]+,[^,]+,0,0,0,")
        message(FATAL_ERROR "still at rest after the second frame: ${leader}")
    endif()

elseif(CASE STREQUAL "leaderless")
    # Followers without leaders have nothing to chase: born at rest, they stay
    # where they are, with the hue they were born with, frame after frame.
    show(0 ${common} --seed 3 --step-ms 25 --leaders 0 --followers 30 --show-links 1 --frames 1
         --dump ${WORK}/leaderless_1.csv)
    show(0 ${common} --seed 3 --step-ms 25 --leaders 0 --followers 30 --show-links 1 --frames 60
         --dump ${WORK}/leaderless_60.csv)
    file(SHA256 ${WORK}/leaderless_1.csv one)
    file(SHA256 ${WORK}/leaderless_60.csv sixty)
    if(NOT one STREQUAL sixty)
        message(FATAL_ERROR "leaderless followers moved")
    endif()

elseif(CASE STREQUAL "refusals")
    show(2 --offscreen --frames 0)
    if(NOT show_err MATCHES "--frames wants a whole number from 1")
        message(FATAL_ERROR "unclear complaint: ${show_err}")
    endif()
    show(2 --followers 5)
    if(NOT show_err MATCHES "only for --offscreen")
        message(FATAL_ERROR "unclear complaint: ${show_err}")
    endif()
    show(0 --help)
    if(NOT show_out MATCHES "--dump FILE")
        message(FATAL_ERROR "--help does not list --dump: ${show_out}")
    endif()
    show(1 ${common} --frames 1 --output ${WORK}/no/such/folder.png)
    if(NOT show_err MATCHES "cannot write")
        message(FATAL_ERROR "unclear complaint: ${show_err}")
    endif()

else()
    message(FATAL_ERROR "unknown case ${CASE}")
endif()
