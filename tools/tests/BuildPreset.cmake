# One of the other build trees (the Windows programs, the web page) as its make target makes it,
# with warnings as errors: configured once, then brought up to date. Run by CTest before the
# tests that run its programs.
#   cmake -D SOURCE_DIR=... -D BINARY_DIR=... -D PRESET=<preset> -D COMPILER=<program>
#         -D PACKAGE=<Debian package of the compiler> -P BuildPreset.cmake
cmake_minimum_required(VERSION 3.25)

set(hint "the compiler ${COMPILER} comes from ${PACKAGE}, which scripts/install-deps installs")

find_program(compiler_path ${COMPILER})
if(NOT compiler_path)
    message(FATAL_ERROR "${COMPILER} is missing: ${hint}")
endif()

function(run)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        string(JOIN " " command ${ARGN})
        message(FATAL_ERROR "`${command}` failed (${result}); ${hint}")
    endif()
endfunction()

# Configured when there is no build tree yet or the presets changed since, as make does; ninja
# configures again by itself when a CMakeLists.txt changes.
if("${SOURCE_DIR}/CMakePresets.json" IS_NEWER_THAN "${BINARY_DIR}/build.ninja")
    run("${CMAKE_COMMAND}" --preset ${PRESET})
    file(TOUCH "${BINARY_DIR}/build.ninja")
endif()
# Beside the tests that do not time anything (those that do run alone), at a lower priority, so
# that a test that drives a window or a simulated chip keeps the processor it needs.
run(nice -n 10 "${CMAKE_COMMAND}" --build --preset ${PRESET})
