# quillon_unit_tests(<target>): links a GoogleTest program and registers its tests. A native build
# uses the system's GoogleTest and lists each test with CTest; a cross build (QUILLON_CROSS_TESTS)
# compiles GoogleTest from Debian's sources with its own compiler, and the Linux build runs the
# whole program under wine instead.
set(QUILLON_GTEST_SOURCE /usr/src/googletest/googletest CACHE PATH
    "GoogleTest's sources, for the unit tests of a cross build")

function(quillon_unit_tests target)
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
    else()
        find_package(GTest REQUIRED)
        target_link_libraries(${target} PRIVATE GTest::gtest_main)
        include(GoogleTest)
        gtest_discover_tests(${target})
    endif()
endfunction()
