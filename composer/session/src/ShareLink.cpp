#include "quillon/ShareLink.h"

#include "quillon/MelodyFile.h"
#include "quillon/Utf8.h"

#include <array>
#include <cstdint>

namespace quillon {
namespace {

constexpr std::string_view kPrefix = "melody=";
constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// Each base64url character's value; 64 for a character outside the alphabet.
constexpr std::array<std::uint8_t, 256> decodeTable() {
    std::array<std::uint8_t, 256> table{};
    table.fill(64);
    for (std::size_t i = 0; i < kAlphabet.size(); ++i) {
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
    }
    return table;
}

} // namespace

std::string shareFragment(std::u16string_view text) {
    const std::string bytes = encodeUtf8(text);
    std::string fragment(kPrefix);
    fragment.reserve(kPrefix.size() + (bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const auto group =
            static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]) << 16 |
                                       static_cast<unsigned char>(bytes[i + 1]) << 8 |
                                       static_cast<unsigned char>(bytes[i + 2]));
        for (int shift = 18; shift >= 0; shift -= 6) {
            fragment += kAlphabet[group >> shift & 63];
        }
    }
    const std::size_t left = bytes.size() - i;
    if (left > 0) {
        std::uint32_t group =
            static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]) << 16);
        if (left == 2) {
            group |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1]) << 8);
        }
        // One byte takes two characters, two take three.
        for (std::size_t c = 0; c <= left; ++c) {
            fragment += kAlphabet[group >> (18 - 6 * c) & 63];
        }
    }
    return fragment;
}

bool isShareFragment(std::string_view fragment) {
    return fragment.starts_with(kPrefix);
}

std::optional<std::u16string> sharedMelody(std::string_view fragment) {
    if (!isShareFragment(fragment)) {
        return std::nullopt;
    }
    fragment.remove_prefix(kPrefix.size());
    // A lone character is no byte at all; longer than Open takes is refused before decoding.
    if (fragment.size() % 4 == 1 || fragment.size() / 4 * 3 > kLargestMelodyFile) {
        return std::nullopt;
    }
    static constexpr std::array<std::uint8_t, 256> kValues = decodeTable();
    std::string bytes;
    bytes.reserve(fragment.size() / 4 * 3 + 2);
    std::uint32_t group = 0;
    int bits = 0;
    for (const char c : fragment) {
        const std::uint8_t value = kValues[static_cast<unsigned char>(c)];
        if (value == 64) {
            return std::nullopt;
        }
        group = (group << 6 | value) & 0xffffff;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>(group >> bits & 0xff);
        }
    }
    // The bits left over at the end pad the last byte and must be zero, so that each melody has
    // one link.
    if ((group & ((1U << bits) - 1)) != 0) {
        return std::nullopt;
    }
    return decodeUtf8(bytes);
}

} // namespace quillon
