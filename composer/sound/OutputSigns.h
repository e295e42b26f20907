#pragma once

#include <string>

namespace quillon {

// What can be seen cheaply of the places a sound output could come from, without PortAudio,
// whose probe of every device and plugin takes some 20 ms of processor time: whether each
// address a PulseAudio client of this process would try takes a connection (PipeWire's
// PulseAudio service has the same addresses), PipeWire's own socket, the kernel's sound devices
// and JACK's servers. A few system calls, well under a millisecond. Two looks that differ mean
// that an output may have come or gone; the same look again means nothing changed that the sink
// could use. On platforms other than Linux it is always empty.
std::string soundOutputSigns();

} // namespace quillon
