# The release preset's configuration, as `make package` makes it, in a tree of its own: the
# programs must build without any test tool, so none may even be looked for.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/Checks.cmake)

file(REMOVE_RECURSE "${WORK_DIR}")
quillon_run(${CMAKE_COMMAND} -S "${SOURCE_DIR}" -B "${WORK_DIR}" -G Ninja
    -D CMAKE_BUILD_TYPE=RelWithDebInfo -D BUILD_TESTING=OFF)
file(READ "${WORK_DIR}/CMakeCache.txt" cache)
foreach(tool GTest benchmark Qt6Test QUILLON_XVFB_RUN SIMAVR QUILLON_WINE)
    if(cache MATCHES "(^|\n)${tool}[A-Za-z_]*:")
        quillon_fail("the release configuration looks for ${tool}, a test tool")
    endif()
endforeach()
# Nor does it run any: its build tree holds no tests.
if(EXISTS "${WORK_DIR}/CTestTestfile.cmake")
    quillon_fail("the release configuration defines tests")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
