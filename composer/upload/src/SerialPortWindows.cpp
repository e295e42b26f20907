#ifdef _WIN32
// The Windows port: a COM port through the Win32 communications functions.
#include "quillon/SerialPort.h"

#include "quillon/UploadError.h"

#include <windows.h>

#include <string>

namespace quillon {

namespace {

std::string errorText(DWORD error) {
    return "Windows error " + std::to_string(error);
}

[[noreturn]] void failed(const std::string& path, const char* what, DWORD error) {
    const std::string detail = path + ": " + what + ": " + errorText(error);
    if (error == ERROR_BAD_COMMAND || error == ERROR_DEVICE_REMOVED ||
        error == ERROR_OPERATION_ABORTED || error == ERROR_GEN_FAILURE ||
        error == ERROR_FILE_NOT_FOUND) {
        throw UploadFailure(UploadError::PortGone, detail);
    }
    throw UploadFailure(UploadError::PortFailed, detail);
}

HANDLE handleOf(void* handle) {
    return static_cast<HANDLE>(handle);
}

} // namespace

SerialPort::SerialPort(const std::string& path, std::uint32_t baud) : path_(path) {
    // COM10 and above open only by the device name.
    const std::string device = path.rfind("\\\\.\\", 0) == 0 ? path : "\\\\.\\" + path;
    const std::wstring name(device.begin(), device.end());
    HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        const std::string detail = path + ": " + errorText(error);
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            throw UploadFailure(UploadError::PortNotFound, detail);
        }
        // A COM port is opened by one program at a time: denied means another holds it.
        if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
            throw UploadFailure(UploadError::PortBusy, detail);
        }
        throw UploadFailure(UploadError::PortFailed, detail);
    }
    handle_ = handle;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle, &dcb)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(handle);
        handle_ = nullptr;
        failed(path, "not a serial port", error);
    }
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (!::SetCommState(handle, &dcb)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(handle);
        handle_ = nullptr;
        failed(path, "cannot set the speed", error);
    }
}

SerialPort::~SerialPort() {
    if (handle_ != nullptr) {
        ::CloseHandle(handleOf(handle_));
    }
}

void SerialPort::setModemLines(bool on) {
    // A port without modem lines refuses; the board then resets otherwise.
    ::EscapeCommFunction(handleOf(handle_), on ? SETDTR : CLRDTR);
    ::EscapeCommFunction(handleOf(handle_), on ? SETRTS : CLRRTS);
}

void SerialPort::write(std::span<const std::uint8_t> bytes) {
    COMMTIMEOUTS timeouts{};
    ::GetCommTimeouts(handleOf(handle_), &timeouts);
    timeouts.WriteTotalTimeoutConstant = 1000;
    timeouts.WriteTotalTimeoutMultiplier = 1;
    ::SetCommTimeouts(handleOf(handle_), &timeouts);
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        if (!::WriteFile(handleOf(handle_), bytes.data() + done,
                         static_cast<DWORD>(bytes.size() - done), &wrote, nullptr)) {
            failed(path_, "write", ::GetLastError());
        }
        if (wrote == 0) {
            failed(path_, "write", ERROR_GEN_FAILURE);
        }
        done += wrote;
    }
}

std::size_t SerialPort::read(std::span<std::uint8_t> bytes, int timeoutMs) {
    // Returns as soon as a byte has come, or after the timeout with none.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(timeoutMs);
    timeouts.WriteTotalTimeoutConstant = 1000;
    timeouts.WriteTotalTimeoutMultiplier = 1;
    if (!::SetCommTimeouts(handleOf(handle_), &timeouts)) {
        failed(path_, "read", ::GetLastError());
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!::ReadFile(handleOf(handle_), bytes.data() + done,
                        static_cast<DWORD>(bytes.size() - done), &got, nullptr)) {
            failed(path_, "read", ::GetLastError());
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

void SerialPort::discardInput() {
    ::PurgeComm(handleOf(handle_), PURGE_RXCLEAR);
}

} // namespace quillon

#endif
