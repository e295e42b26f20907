# quillon_warnings(<target>): the project's warning set, as errors when QUILLON_WERROR is on,
# and the sanitizers when QUILLON_SANITIZE is on.
function(quillon_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion -Wshadow)
    if(QUILLON_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    if(QUILLON_SANITIZE)
        target_compile_options(${target} PRIVATE
            -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()
