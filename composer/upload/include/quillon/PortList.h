#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

// A serial port where a board may be, with what its USB ids tell.
struct PortInfo {
    std::string path;
    std::uint16_t vendorId = 0; // 0 when not a USB port or unknown
    std::uint16_t productId = 0;
    std::string product;   // the USB product string, when there is one
    std::string boardName; // a BoardKind name when the ids tell it; empty otherwise
};

// Linux: /dev/ttyACM* and /dev/ttyUSB*, with their ids from sysfs. In name order. The environment
// variable QUILLON_BOARD_PORT names a port to take instead.
std::vector<PortInfo> listPorts();

// The board kind a USB vendor and product id belong to, or empty: Arduino's own ids tell; the
// serial chips of clones (CH340, FTDI) do not tell which board they sit on.
std::string boardForUsbIds(std::uint16_t vendorId, std::uint16_t productId);

} // namespace quillon
