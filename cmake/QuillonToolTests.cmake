# quillon_tool_tests(<tool> WINDOWS_BYTES <n>): runs the real console tool as a user would,
# against the output written out by hand in tools/tests/<tool>.expected; and, from a Linux build,
# the same tool cross-built for Windows under wine, whose output with CR LF line ends is <n> bytes.
function(quillon_tool_tests tool)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" WINDOWS_BYTES "")
    # A cross-built tool cannot run here; the native build checks it under wine instead.
    if(CMAKE_CROSSCOMPILING OR NOT BUILD_TESTING)
        return()
    endif()
    set(check ${PROJECT_SOURCE_DIR}/tools/tests/check-tool.sh)
    set(expected ${PROJECT_SOURCE_DIR}/tools/tests/${tool}.expected)
    add_test(NAME ${tool}.output COMMAND bash ${check} output $<TARGET_FILE:${tool}> ${expected})
    add_test(NAME ${tool}.stdin COMMAND bash ${check} stdin $<TARGET_FILE:${tool}> ${expected})
    add_test(NAME ${tool}.write_error COMMAND bash ${check} write-error $<TARGET_FILE:${tool}>)
    set_tests_properties(${tool}.output ${tool}.stdin ${tool}.write_error
        PROPERTIES TIMEOUT 60 LABELS tools)

    if(CMAKE_HOST_SYSTEM_NAME STREQUAL "Linux")
        quillon_windows_tool_test(${tool} ${arg_WINDOWS_BYTES})
    endif()
endfunction()

# The Windows build (as `make windows` makes it, warnings as errors) is its own build tree with its own
# compiler, so it stays out of this build; a test builds it instead, once, before the tests that
# run its programs. Those share one private wine prefix, as creating one takes seconds.
set(QUILLON_WINDOWS_DIR ${PROJECT_SOURCE_DIR}/build/windows-ci)
set(QUILLON_WINE_PREFIX ${PROJECT_BINARY_DIR}/windows-tests/wineprefix)
set(QUILLON_WINDOWS_CHECK ${PROJECT_SOURCE_DIR}/tools/tests/check-windows-tool.sh)
if(BUILD_TESTING AND QUILLON_BUILD_TOOLS AND NOT CMAKE_CROSSCOMPILING
   AND CMAKE_HOST_SYSTEM_NAME STREQUAL "Linux")
    find_program(QUILLON_WINE wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
    find_program(QUILLON_WINE NAMES wine64 wine)
    find_program(QUILLON_MINGW_OBJDUMP x86_64-w64-mingw32-objdump)

    add_test(NAME windows.build
        COMMAND ${CMAKE_COMMAND} -D SOURCE_DIR=${PROJECT_SOURCE_DIR}
            -D BINARY_DIR=${QUILLON_WINDOWS_DIR} -D PRESET=windows-ci
            -D COMPILER=x86_64-w64-mingw32-g++-posix -D PACKAGE=g++-mingw-w64-x86-64-posix
            -P ${PROJECT_SOURCE_DIR}/tools/tests/BuildPreset.cmake)
    add_test(NAME windows.wine_prefix
        COMMAND bash ${QUILLON_WINDOWS_CHECK} prefix-create "${QUILLON_WINE}")
    add_test(NAME windows.wine_prefix_remove
        COMMAND bash ${QUILLON_WINDOWS_CHECK} prefix-remove "${QUILLON_WINE}")
    # It builds at a lower priority beside the tests that time nothing, one build tree at a time,
    # so that tests go on beside it.
    set_tests_properties(windows.build PROPERTIES FIXTURES_SETUP windows_tools
        RESOURCE_LOCK test_build)
    set_tests_properties(windows.wine_prefix PROPERTIES FIXTURES_SETUP wine)
    set_tests_properties(windows.wine_prefix_remove PROPERTIES FIXTURES_CLEANUP wine)
    set_tests_properties(windows.build windows.wine_prefix windows.wine_prefix_remove PROPERTIES
        TIMEOUT 600 LABELS windows ENVIRONMENT WINEPREFIX=${QUILLON_WINE_PREFIX})
    set_tests_properties(windows.wine_prefix windows.wine_prefix_remove PROPERTIES
        RESOURCE_LOCK wine_prefix)

    # The platform's and the session's unit tests as the Windows tree built them, so that the
    # Windows half of every system call is tested too.
    if(QUILLON_BUILD_EDITOR)
        foreach(suite platform session)
            add_test(NAME ${suite}.windows
                COMMAND bash ${QUILLON_WINDOWS_CHECK} unit "${QUILLON_WINE}"
                    "${QUILLON_MINGW_OBJDUMP}" ${QUILLON_WINDOWS_DIR}/quillon_${suite}_tests.exe)
            set_tests_properties(${suite}.windows PROPERTIES
                FIXTURES_REQUIRED "windows_tools;wine" TIMEOUT 300 LABELS windows
                RESOURCE_LOCK wine_prefix ENVIRONMENT WINEPREFIX=${QUILLON_WINE_PREFIX})
        endforeach()
    endif()
endif()

# quillon_windows_tool_test(<tool> <bytes> [<argument>...]): <tool>.exe under wine, given the
# arguments and started in tools/tests, prints the expected output with CR LF line ends, <bytes>
# long in all.
function(quillon_windows_tool_test tool bytes)
    add_test(NAME ${tool}.windows
        COMMAND bash ${QUILLON_WINDOWS_CHECK} run "${QUILLON_WINE}" "${QUILLON_MINGW_OBJDUMP}"
            ${QUILLON_WINDOWS_DIR}/${tool}.exe ${PROJECT_SOURCE_DIR}/tools/tests/${tool}.expected
            ${bytes} ${ARGN}
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/tools/tests)
    # One program in the shared prefix at a time: each wine test stops the prefix's server.
    set_tests_properties(${tool}.windows PROPERTIES
        FIXTURES_REQUIRED "windows_tools;wine" TIMEOUT 120 LABELS "tools;windows"
        RESOURCE_LOCK wine_prefix
        ENVIRONMENT WINEPREFIX=${QUILLON_WINE_PREFIX})
endfunction()
