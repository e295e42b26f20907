#include "quillon/PortList.h"

#include "SystemPorts.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <fstream>
#ifndef _WIN32
#include <dirent.h>
#endif
#include <string_view>

namespace quillon {

std::vector<PortInfo> listPorts() {
    // A board on a port of another name (a Bluetooth rfcomm, a pseudo-terminal): that one only.
    if (const char* named = std::getenv("QUILLON_BOARD_PORT"); named != nullptr && *named != 0) {
        PortInfo info;
        info.path = named;
        return {info};
    }
    return systemPorts();
}

std::string boardForUsbIds(std::uint16_t vendorId, std::uint16_t productId) {
    struct Ids {
        std::uint16_t vendor;
        std::uint16_t product;
        const char* board;
    };
    // Arduino LLC (0x2341) and Arduino SRL (0x2a03): the boards' own USB ids. The Leonardo and
    // Micro show one id in their bootloader and another running a sketch.
    static constexpr Ids known[] = {
        {0x2341, 0x0043, "uno"},      {0x2341, 0x0001, "uno"},      {0x2a03, 0x0043, "uno"},
        {0x2341, 0x0243, "uno"},      {0x2341, 0x0010, "mega"},     {0x2341, 0x0042, "mega"},
        {0x2a03, 0x0042, "mega"},     {0x2341, 0x0242, "mega"},     {0x2341, 0x0036, "leonardo"},
        {0x2341, 0x8036, "leonardo"}, {0x2a03, 0x0036, "leonardo"}, {0x2a03, 0x8036, "leonardo"},
        {0x2341, 0x0037, "leonardo"}, {0x2341, 0x8037, "leonardo"},
    };
    for (const Ids& ids : known) {
        if (ids.vendor == vendorId && ids.product == productId) {
            return ids.board;
        }
    }
    return {};
}

#ifndef _WIN32
namespace {

std::string firstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// A USB id from sysfs, four hexadecimal digits; 0 (no id) for anything else.
std::uint16_t hexId(const std::string& text) {
    std::uint16_t id = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, id, 16);
    return error == std::errc() && at != text.data() ? id : 0;
}

} // namespace

std::vector<PortInfo> systemPorts() {
    std::vector<PortInfo> ports;
    DIR* dev = ::opendir("/dev");
    if (dev == nullptr) {
        return ports;
    }
    while (const dirent* entry = ::readdir(dev)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with("ttyACM") && !name.starts_with("ttyUSB")) {
            continue;
        }
        PortInfo info;
        info.path = "/dev/" + std::string(name);
        // The tty's device is a USB interface; its parent holds the ids.
        const std::string usb = "/sys/class/tty/" + std::string(name) + "/device/../";
        info.vendorId = hexId(firstLine(usb + "idVendor"));
        info.productId = hexId(firstLine(usb + "idProduct"));
        info.product = firstLine(usb + "product");
        info.boardName = boardForUsbIds(info.vendorId, info.productId);
        ports.push_back(std::move(info));
    }
    ::closedir(dev);
    std::sort(ports.begin(), ports.end(),
              [](const PortInfo& a, const PortInfo& b) { return a.path < b.path; });
    return ports;
}

#endif

} // namespace quillon
