#include "LinkedPty.h"

#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace quillon::sim {

int openLinkedPty(const std::string& link) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    if (slave >= 0) {
        ::close(slave);
    }
    ::unlink(link.c_str());
    if (::symlink(::ptsname(master), link.c_str()) != 0) {
        ::close(master);
        throw std::runtime_error("cannot link " + link);
    }
    return master;
}

} // namespace quillon::sim
