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

// The ports where a board may be, with their USB ids: /dev/ttyACM* and /dev/ttyUSB* from sysfs
// on Linux, in name order; the COM ports from the setup API on Windows. The environment variable
// QUILLON_BOARD_PORT names the one port to take instead, on either.
std::vector<PortInfo> listPorts();

// The board kind a USB vendor and product id belong to, or empty: Arduino's own ids tell; the
// serial chips of clones (CH340, FTDI) do not tell which board they sit on.
std::string boardForUsbIds(std::uint16_t vendorId, std::uint16_t productId);

} // namespace quillon
