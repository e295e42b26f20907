# quillon_unit_tests(<target> [WEB_LEAVE_OUT <test>...] [<gtest_discover_tests argument>...]):
# links a GoogleTest program and registers its tests. A native build uses the system's GoogleTest
# and lists each test with CTest; a cross build (QUILLON_CROSS_TESTS, or the web build) compiles
# GoogleTest from Debian's sources with its own compiler, and the Linux build runs the whole
# program under wine or node. The web build's program skips the WEB_LEAVE_OUT tests (Suite.Name),
# which need what a web page never has.
set(QUILLON_GTEST_SOURCE /usr/src/googletest/googletest CACHE PATH
    "GoogleTest's sources, for the unit tests of a cross build")

function(quillon_unit_tests target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" WEB_LEAVE_OUT)
    if(CMAKE_CROSSCOMPILING)
        if(NOT TARGET quillon_gtest)
            if(NOT EXISTS ${QUILLON_GTEST_SOURCE}/src/gtest-all.cc)
                message(FATAL_ERROR "GoogleTest's sources are not in ${QUILLON_GTEST_SOURCE}: "
                    "scripts/install-deps installs them (package googletest)")
            endif()
            # Its own two sources only: the whole project would bring a C compiler of the host.
            add_library(quillon_gtest STATIC ${QUILLON_GTEST_SOURCE}/src/gtest-all.cc
                                             ${QUILLON_GTEST_SOURCE}/src/gtest_main.cc)
            target_include_directories(quillon_gtest SYSTEM PUBLIC ${QUILLON_GTEST_SOURCE}/include)
            target_include_directories(quillon_gtest PRIVATE ${QUILLON_GTEST_SOURCE})
        endif()
        target_link_libraries(${target} PRIVATE quillon_gtest)
        if(EMSCRIPTEN)
            # A node program (target.js beside target.wasm) on the in-memory file system, as the
            # page has; the exit status is the tests' verdict, so the runtime exits. Linked at
            # -O1, as its objects are built: the whole-program passes of -O3 only lengthen the
            # build.
            target_link_options(${target} PRIVATE -O1 -sENVIRONMENT=node -sALLOW_MEMORY_GROWTH=1
                                                  -sEXIT_RUNTIME=1)
            if(arg_WEB_LEAVE_OUT)
                # As the first argument, ahead of the command line's: a filter given there wins.
                list(JOIN arg_WEB_LEAVE_OUT ":" tests)
                set(prejs ${CMAKE_CURRENT_BINARY_DIR}/${target}-leave-out.js)
                file(CONFIGURE OUTPUT ${prejs} CONTENT
                    "Module['arguments'] = ['--gtest_filter=-${tests}'].concat(process.argv.slice(2));\n")
                target_link_options(${target} PRIVATE "SHELL:--pre-js ${prejs}")
                set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${prejs})
            endif()
        endif()
    else()
        find_package(GTest REQUIRED)
        target_link_libraries(${target} PRIVATE GTest::gtest_main)
        include(GoogleTest)
        gtest_discover_tests(${target} ${arg_UNPARSED_ARGUMENTS})
    endif()
endfunction()
