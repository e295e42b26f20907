# cmake --install of the build into a fresh prefix, then what a user finds there: the four
# programs in bin/ (and that they run from there), the desktop entry and the icon.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/Checks.cmake)

quillon_require_tool(desktop-file-validate "${DESKTOP_FILE_VALIDATE}")
set(prefix "${WORK_DIR}/prefix")
file(REMOVE_RECURSE "${WORK_DIR}")

# A DESTDIR in the caller's environment would move the files out of the prefix.
quillon_run(${CMAKE_COMMAND} -E env --unset=DESTDIR
    ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}")

quillon_expect_tree("${prefix}" "${DESKTOP_FILE_VALIDATE}")

# The installed tools run on their own: they print their table and its closing line, wait for one
# character, and exit with 0.
file(WRITE "${WORK_DIR}/enter" "\n")
foreach(tool timervals:Calc notecodes:Make)
    string(REPLACE ":" ";" tool "${tool}")
    list(GET tool 0 program)
    list(GET tool 1 word)
    execute_process(COMMAND "${prefix}/bin/${program}" INPUT_FILE "${WORK_DIR}/enter"
        RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 20)
    if(NOT result EQUAL 0 OR NOT out MATCHES "\\^_\\^ ${word} Over!")
        quillon_fail("installed ${program} did not run to its end (${result}):\n${out}${err}")
    endif()
endforeach()

# The installed import tool prints the array of a ring tone.
file(WRITE "${WORK_DIR}/scale.rtttl" "scale:d=4,o=5,b=150:c,d,e,f,g,a,b,c6")
execute_process(COMMAND "${prefix}/bin/quillon-import" "${WORK_DIR}/scale.rtttl"
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 20)
if(NOT result EQUAL 0 OR NOT out MATCHES "0x73,0x7b,0x83,0x8b,0x93,0x9b,0xa3,0xab,0x00};")
    quillon_fail("installed quillon-import did not print the scale (${result}):\n${out}${err}")
endif()

# The installed composer starts and keeps its window open until it is closed; here it is still
# running when the time is up, which is the success.
execute_process(COMMAND "${prefix}/bin/quillon"
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 2)
if(NOT result MATCHES "timeout")
    quillon_fail("installed quillon ended at once (${result}):\n${out}${err}")
endif()
