#pragma once

#include "quillon/PortList.h"

#include <vector>

namespace quillon {

// The serial ports the system itself lists, with their USB ids: sysfs on Linux, the setup API on
// Windows. listPorts() asks this unless the user named a port.
std::vector<PortInfo> systemPorts();

} // namespace quillon
