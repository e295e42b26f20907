# quillon_warnings(<target>): the project's warning set, as errors when QUILLON_WERROR is on,
# and the sanitizers when QUILLON_SANITIZE is on. The flags follow the compiler's own dialect:
# MSVC (and clang-cl, which takes its options) would reject or misread the GCC spellings.
function(quillon_warnings target)
    if(MSVC)
        # /W4 is MSVC's counterpart of -Wall -Wextra; it includes the conversion warnings.
        target_compile_options(${target} PRIVATE /W4 /permissive-)
        if(QUILLON_WERROR)
            target_compile_options(${target} PRIVATE /WX)
        endif()
        if(QUILLON_SANITIZE)
            # MSVC has AddressSanitizer only; there is no UBSan to go with it.
            target_compile_options(${target} PRIVATE /fsanitize=address)
        endif()
    elseif(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion -Wshadow)
        if(QUILLON_WERROR)
            target_compile_options(${target} PRIVATE -Werror)
        endif()
        if(QUILLON_SANITIZE OR QUILLON_FUZZ)
            target_compile_options(${target} PRIVATE
                -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
            target_link_options(${target} PRIVATE -fsanitize=address,undefined)
        endif()
        if(QUILLON_FUZZ)
            # Coverage for the fuzzer in every library it reaches; its main only in the targets.
            target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
        endif()
    else()
        message(WARNING "quillon_warnings: no warning flags known for ${CMAKE_CXX_COMPILER_ID}")
    endif()
endfunction()

# quillon_test_directory(): the test programs of the calling directory build at -O1 with line
# tables only. What they test (the libraries) keeps the build's own optimisation; the tests
# themselves, heavy with GoogleTest's templates, build in half the time. The Windows tree's tests
# (Release) too, which also spares them g++ 12's false -Wrestrict on inlined string copies.
function(quillon_test_directory)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        add_compile_options($<$<CONFIG:RelWithDebInfo>:-O1> $<$<CONFIG:RelWithDebInfo>:-g1>
                            $<$<CONFIG:Release>:-O1>)
    endif()
endfunction()
