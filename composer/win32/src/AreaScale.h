#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quillon::win32 {

// A picture of 0x00RRGGBB pixels, rows top to bottom, scaled to width x height by area: each new
// pixel is the average of the old pixels it covers, weighted by how much of each it covers. At a
// whole multiple every pixel becomes a block, sharp; in between an edge blurs by at most the
// one pixel the scale splits, and no more. The same on every Windows and under wine, whose
// own smoothing stretch blurs further.
std::vector<std::uint32_t> scaleByArea(std::span<const std::uint32_t> pixels, int width, int height,
                                       int newWidth, int newHeight);

} // namespace quillon::win32
