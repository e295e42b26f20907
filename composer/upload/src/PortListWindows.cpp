#ifdef _WIN32
// The COM ports Windows knows, with the USB ids of their devices, from the setup API.
#include "SystemPorts.h"

#include <windows.h>

#include <setupapi.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace quillon {

namespace {

// The setup class of COM and LPT ports.
const GUID kPortsClass = {
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

std::string narrow(const wchar_t* text) {
    std::string out;
    for (; *text != 0; ++text) {
        out += *text < 0x80 ? static_cast<char>(*text) : '?';
    }
    return out;
}

// "USB\VID_2341&PID_0043&REV_0001" gives 0x2341 and 0x0043.
std::uint16_t idAfter(const std::string& ids, const char* key) {
    const std::size_t at = ids.find(key);
    if (at == std::string::npos) {
        return 0;
    }
    return static_cast<std::uint16_t>(std::strtoul(ids.substr(at + 4, 4).c_str(), nullptr, 16));
}

} // namespace

std::vector<PortInfo> systemPorts() {
    std::vector<PortInfo> ports;
    HDEVINFO devices = ::SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) {
        return ports;
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
        HKEY key =
            ::SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) {
            continue;
        }
        wchar_t name[64] = {};
        DWORD size = sizeof name - sizeof(wchar_t);
        const LSTATUS status = ::RegQueryValueExW(key, L"PortName", nullptr, nullptr,
                                                  reinterpret_cast<BYTE*>(name), &size);
        ::RegCloseKey(key);
        if (status != ERROR_SUCCESS || std::wstring(name).rfind(L"COM", 0) != 0) {
            continue;
        }
        PortInfo info;
        info.path = narrow(name);
        wchar_t text[512] = {};
        if (::SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_HARDWAREID, nullptr,
                                                reinterpret_cast<BYTE*>(text),
                                                sizeof text - sizeof(wchar_t), nullptr)) {
            const std::string ids = narrow(text);
            info.vendorId = idAfter(ids, "VID_");
            info.productId = idAfter(ids, "PID_");
        }
        wchar_t friendly[256] = {};
        if (::SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                                reinterpret_cast<BYTE*>(friendly),
                                                sizeof friendly - sizeof(wchar_t), nullptr)) {
            info.product = narrow(friendly);
        }
        info.boardName = boardForUsbIds(info.vendorId, info.productId);
        ports.push_back(std::move(info));
    }
    ::SetupDiDestroyDeviceInfoList(devices);
    std::sort(ports.begin(), ports.end(),
              [](const PortInfo& a, const PortInfo& b) { return a.path < b.path; });
    return ports;
}

} // namespace quillon

#endif
