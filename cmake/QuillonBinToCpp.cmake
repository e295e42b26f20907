# cmake -D BIN=program.bin -D OUT=Program.cpp -D FUNCTION=programAtmega328p -P QuillonBinToCpp.cmake
# Writes a binary file into C++ as a function returning its bytes.
file(READ ${BIN} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n"
       bytes "${bytes}")
file(WRITE ${OUT}.tmp "// Generated from ${BIN} by QuillonBinToCpp.cmake.
#include \"BoardPrograms.h\"

namespace quillon {

namespace {
// clang-format off
const std::uint8_t bytes[${size}] = {
${bytes}
};
// clang-format on
} // namespace

std::span<const std::uint8_t> ${FUNCTION}() {
    return bytes;
}

} // namespace quillon
")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
