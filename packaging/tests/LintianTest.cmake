# Lintian on the Debian package: no error, no warning, and no hardening tag of any level (the
# missing fortify, stack protector, RELRO or BIND_NOW are only infos to lintian). Overrides travel
# in the package, each with a comment that says why; other infos are advice and pass.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/Checks.cmake)

quillon_require_tool(lintian "${LINTIAN}")
file(GLOB packages "${PACKAGE_DIR}/*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
    quillon_fail("expected one .deb in ${PACKAGE_DIR}, found ${count}: ${packages}")
endif()

execute_process(COMMAND "${LINTIAN}" --display-info --fail-on error,warning "${packages}"
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}")
if(NOT result EQUAL 0)
    quillon_fail("lintian finds errors or warnings in ${packages} (${result}):\n${out}${err}")
endif()
if(out MATCHES "hardening-[a-z-]+")
    quillon_fail("lintian finds the programs unhardened (${CMAKE_MATCH_0}):\n${out}")
endif()
