#include "AreaScale.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quillon::win32 {
namespace {

// How much of old pixel `from` new pixel `to` covers, along one axis.
double overlap(int to, int newSize, int from, int size) {
    const double begin = static_cast<double>(to) * size / newSize;
    const double end = static_cast<double>(to + 1) * size / newSize;
    return std::max(0.0, std::min(end, from + 1.0) - std::max(begin, static_cast<double>(from)));
}

} // namespace

std::vector<std::uint32_t> scaleByArea(std::span<const std::uint32_t> pixels, int width, int height,
                                       int newWidth, int newHeight) {
    std::vector<std::uint32_t> scaled(static_cast<std::size_t>(newWidth) *
                                      static_cast<std::size_t>(newHeight));
    for (int y = 0; y < newHeight; ++y) {
        const int top = y * height / newHeight;
        const int bottom = std::min(height, ((y + 1) * height + newHeight - 1) / newHeight);
        for (int x = 0; x < newWidth; ++x) {
            const int left = x * width / newWidth;
            const int right = std::min(width, ((x + 1) * width + newWidth - 1) / newWidth);
            std::array<double, 3> sum{};
            double weights = 0;
            for (int oldY = top; oldY < bottom; ++oldY) {
                const double down = overlap(y, newHeight, oldY, height);
                for (int oldX = left; oldX < right; ++oldX) {
                    const double weight = down * overlap(x, newWidth, oldX, width);
                    const std::uint32_t pixel =
                        pixels[static_cast<std::size_t>(oldY * width + oldX)];
                    for (int channel = 0; channel < 3; ++channel) {
                        sum[static_cast<std::size_t>(channel)] +=
                            weight * static_cast<double>((pixel >> (8 * channel)) & 0xFF);
                    }
                    weights += weight;
                }
            }
            std::uint32_t pixel = 0;
            for (int channel = 0; channel < 3; ++channel) {
                const auto value = static_cast<std::uint32_t>(
                    std::lround(sum[static_cast<std::size_t>(channel)] / weights));
                pixel |= std::min<std::uint32_t>(value, 255) << (8 * channel);
            }
            scaled[static_cast<std::size_t>(y * newWidth + x)] = pixel;
        }
    }
    return scaled;
}

} // namespace quillon::win32
