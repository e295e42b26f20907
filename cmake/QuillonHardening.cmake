# The hardening that Debian's packages carry, for every program and library built here, so that
# the shipped package has it and the tests run what ships. ELF targets only: PE and WebAssembly
# have no RELRO or BIND_NOW, and mingw-w64's static fortify and stack protector would need libssp
# beside it.
# Debian's g++ already makes position-independent executables.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang" AND NOT WIN32 AND NOT APPLE AND NOT EMSCRIPTEN)
    add_compile_options(-fstack-protector-strong)
    # Fortify needs the optimiser (glibc warns at -O0, an error with the warnings as errors), and
    # the sanitizers check the same calls better on their own.
    if(NOT QUILLON_SANITIZE AND NOT QUILLON_FUZZ)
        add_compile_options($<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
    endif()
    add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
