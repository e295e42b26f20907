# Lintian on the Debian package: no error and no warning. Overrides travel in the package, each
# with a comment that says why; infos (hardening hints and the like) are advice and pass.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/Checks.cmake)

quillon_require_tool(lintian "${LINTIAN}")
file(GLOB packages "${PACKAGE_DIR}/*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
    quillon_fail("expected one .deb in ${PACKAGE_DIR}, found ${count}: ${packages}")
endif()

execute_process(COMMAND "${LINTIAN}" --fail-on error,warning "${packages}"
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}")
if(NOT result EQUAL 0)
    quillon_fail("lintian finds errors or warnings in ${packages} (${result}):\n${out}${err}")
endif()
