# The Windows programs as `make windows` makes them, but with warnings as errors: configured once,
# then brought up to date. Run by CTest before the tests that start the programs under wine.
cmake_minimum_required(VERSION 3.25)

function(run)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        string(JOIN " " command ${ARGN})
        message(FATAL_ERROR "`${command}` failed (${result}); the cross compiler comes from "
            "g++-mingw-w64-x86-64-posix, which scripts/install-deps installs")
    endif()
endfunction()

# Configured when there is no build tree yet or the presets changed since, as `make windows`
# does; ninja configures again by itself when a CMakeLists.txt changes.
if("${SOURCE_DIR}/CMakePresets.json" IS_NEWER_THAN "${BINARY_DIR}/build.ninja")
    run("${CMAKE_COMMAND}" --preset windows-ci)
    file(TOUCH "${BINARY_DIR}/build.ninja")
endif()
run("${CMAKE_COMMAND}" --build --preset windows-ci)
