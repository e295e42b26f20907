#ifndef _WIN32
// The POSIX port; SerialPortWindows.cpp is Windows'.
#include "quillon/SerialPort.h"

#include "quillon/UploadError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace quillon {

namespace {

[[noreturn]] void failed(const std::string& path, const char* what, int error) {
    const std::string detail = path + ": " + what + ": " + std::strerror(error);
    if (error == EIO || error == ENXIO || error == ENODEV) {
        throw UploadFailure(UploadError::PortGone, detail);
    }
    throw UploadFailure(UploadError::PortFailed, detail);
}

speed_t speedOf(std::uint32_t baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 19200:
        return B19200;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B115200;
    }
}

} // namespace

SerialPort::SerialPort(const std::string& path, std::uint32_t baud) : path_(path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        const std::string detail = path + ": " + std::strerror(error);
        if (error == ENOENT || error == ENODEV || error == ENXIO) {
            throw UploadFailure(UploadError::PortNotFound, detail);
        }
        if (error == EBUSY) {
            throw UploadFailure(UploadError::PortBusy, detail);
        }
        if (error == EACCES || error == EPERM) {
            throw UploadFailure(UploadError::NoPermission, detail);
        }
        throw UploadFailure(UploadError::PortFailed, detail);
    }
    // A serial monitor that locks the port holds it: two programs talking to one bootloader
    // only garble each other.
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(fd_);
        fd_ = -1;
        throw UploadFailure(UploadError::PortBusy, path + ": locked by another program");
    }
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        failed(path, "not a serial port", error);
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | CSTOPB | PARENB);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, speedOf(baud));
    ::cfsetospeed(&tio, speedOf(baud));
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        failed(path, "cannot set the speed", error);
    }
}

SerialPort::~SerialPort() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void SerialPort::setModemLines(bool on) {
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &lines) != 0) {
        const int error = errno;
        // A pseudo-terminal has no modem lines.
        if (error != ENOTTY && error != EINVAL) {
            failed(path_, "cannot set DTR and RTS", error);
        }
    }
}

void SerialPort::write(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (wrote > 0) {
            done += static_cast<std::size_t>(wrote);
            continue;
        }
        const int error = errno;
        if (wrote < 0 && error != EAGAIN && error != EINTR) {
            failed(path_, "write", error);
        }
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, 1000) == 0) {
            failed(path_, "write", ETIMEDOUT);
        }
        if ((p.revents & (POLLHUP | POLLERR)) != 0) {
            failed(path_, "write", EIO);
        }
    }
}

std::size_t SerialPort::read(std::span<std::uint8_t> bytes, int timeoutMs) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, timeoutMs);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            failed(path_, "read", errno);
        }
        if (ready == 0) {
            break;
        }
        const ssize_t got = ::read(fd_, bytes.data() + done, bytes.size() - done);
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
            // End of file on a tty: the other side hung up.
            failed(path_, "read", got == 0 ? EIO : errno);
        }
    }
    return done;
}

void SerialPort::discardInput() {
    ::tcflush(fd_, TCIFLUSH);
    std::uint8_t junk[256];
    while (::read(fd_, junk, sizeof junk) > 0) {
    }
}

} // namespace quillon

#endif
