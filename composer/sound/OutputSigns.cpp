#include "OutputSigns.h"

#if defined(__linux__)
#include <dirent.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>
#endif

namespace quillon {

#if defined(__linux__)
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// Whether a server listens on the Unix socket at `path`: connecting costs it nothing but an
// accept, and fails at once where nobody listens.
bool answers(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return false;
    }
    const bool taken =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
        errno == EINPROGRESS || errno == EAGAIN;
    close(fd);
    return taken;
}

// The value of `default-server` in a PulseAudio client configuration file, or "".
std::string defaultServerIn(const std::string& file) {
    std::ifstream in(file);
    std::string line;
    std::string server;
    while (std::getline(in, line)) {
        const std::size_t equals = line.find('=');
        const std::size_t key = line.find_first_not_of(" \t");
        if (equals == std::string::npos || key == std::string::npos ||
            line.compare(key, 14, "default-server") != 0) {
            continue;
        }
        std::istringstream value(line.substr(equals + 1));
        value >> server;
    }
    return server;
}

// The servers a PulseAudio client of this process tries, as libpulse finds them: the
// environment's list, else the client configuration's, else the user's runtime directory and
// the system-wide one.
std::vector<std::string> pulseServers() {
    std::string list = environment("PULSE_SERVER");
    if (list.empty()) {
        const std::string config = environment("PULSE_CLIENTCONFIG");
        if (!config.empty()) {
            list = defaultServerIn(config);
        } else {
            list = defaultServerIn("/etc/pulse/client.conf");
            std::string home = environment("XDG_CONFIG_HOME");
            if (home.empty() && !environment("HOME").empty()) {
                home = environment("HOME") + "/.config";
            }
            if (!home.empty()) {
                if (const std::string user = defaultServerIn(home + "/pulse/client.conf");
                    !user.empty()) {
                    list = user;
                }
            }
        }
    }
    std::vector<std::string> servers;
    std::istringstream entries(list);
    for (std::string entry; entries >> entry;) {
        servers.push_back(entry);
    }
    if (servers.empty()) {
        std::string runtime = environment("PULSE_RUNTIME_PATH");
        if (runtime.empty() && !environment("XDG_RUNTIME_DIR").empty()) {
            runtime = environment("XDG_RUNTIME_DIR") + "/pulse";
        }
        if (!runtime.empty()) {
            servers.push_back("unix:" + runtime + "/native");
        }
        servers.emplace_back("unix:/var/run/pulse/native");
    }
    return servers;
}

// The entries of a directory whose names begin with `prefix`, sorted.
std::string entries(const char* directory, const char* prefix) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(directory)) {
        const std::size_t length = std::strlen(prefix);
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.' && std::strncmp(entry->d_name, prefix, length) == 0) {
                names.emplace_back(entry->d_name);
            }
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string& name : names) {
        joined += name + ",";
    }
    return joined;
}

} // namespace

std::string soundOutputSigns() {
    std::string signs = "pulse:";
    for (std::string server : pulseServers()) {
        // "{machine id}" in front limits an address to one machine; what follows is the address.
        if (server.front() == '{' && server.find('}') != std::string::npos) {
            server.erase(0, server.find('}') + 1);
        }
        std::string path;
        if (server.rfind("unix:", 0) == 0) {
            path = server.substr(5);
        } else if (server.rfind('/', 0) == 0) {
            path = server;
        }
        // A network address is named as it is: reaching it would take a round trip, and a
        // server that starts there is found by F5, which always probes.
        signs += server + (path.empty() ? "" : answers(path) ? "=up" : "=down") + ";";
    }
    std::string pipewire = environment("PIPEWIRE_REMOTE");
    if (pipewire.empty()) {
        pipewire = "pipewire-0";
    }
    if (pipewire.front() != '/') {
        std::string runtime = environment("PIPEWIRE_RUNTIME_DIR");
        if (runtime.empty()) {
            runtime = environment("XDG_RUNTIME_DIR");
        }
        pipewire = runtime.empty() ? std::string() : runtime + "/" + pipewire;
    }
    if (!pipewire.empty()) {
        signs += " pipewire:" + std::string(answers(pipewire) ? "up" : "down");
    }
    signs += " cards:" + entries("/dev/snd", "");
    signs += " jack:" + entries("/dev/shm", "jack");
    return signs;
}

#else

std::string soundOutputSigns() {
    return {};
}

#endif

} // namespace quillon
