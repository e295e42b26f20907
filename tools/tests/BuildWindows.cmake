# The Windows build of the console tools, as `make windows` makes it: configured once, then
# brought up to date. Run by CTest before the tests that start the programs under wine.
cmake_minimum_required(VERSION 3.25)

function(run)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        string(JOIN " " command ${ARGN})
        message(FATAL_ERROR "`${command}` failed (${result}); the cross compiler comes from "
            "g++-mingw-w64-x86-64-posix, which scripts/install-deps installs")
    endif()
endfunction()

# Configuring again on every run would rebuild everything; ninja reconfigures by itself when a
# CMakeLists.txt changes.
if(NOT EXISTS "${BINARY_DIR}/build.ninja")
    run("${CMAKE_COMMAND}" --preset windows)
endif()
run("${CMAKE_COMMAND}" --build --preset windows)
