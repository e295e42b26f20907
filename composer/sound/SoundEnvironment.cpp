#include "SoundEnvironment.h"

#include <cstdlib>
#include <initializer_list>

#if defined(__linux__)
#include <dlfcn.h>
#endif

namespace quillon {
namespace {

bool debugging() {
    return std::getenv("QUILLON_SOUND_DEBUG") != nullptr;
}

#if defined(__linux__)
extern "C" void quietAlsa(const char*, int, const char*, int, const char*, ...) {}
extern "C" void quietJack(const char*) {}
#endif

} // namespace

void prepareSoundEnvironment() {
#if defined(__linux__)
    if (!debugging()) {
        setenv("JACK_NO_START_SERVER", "1", 0);
    }
#endif
}

void quietSoundLibraries() {
#if defined(__linux__)
    if (debugging()) {
        return;
    }
    // Both libraries are loaded with PortAudio; their handlers are looked up by name so that the
    // sink needs neither library's headers and works without either.
    using AlsaHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    if (void* set = dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler")) {
        reinterpret_cast<int (*)(AlsaHandler)>(set)(&quietAlsa);
    }
    using JackHandler = void (*)(const char*);
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
        if (void* set = dlsym(RTLD_DEFAULT, name)) {
            reinterpret_cast<void (*)(JackHandler)>(set)(&quietJack);
        }
    }
#endif
}

} // namespace quillon
