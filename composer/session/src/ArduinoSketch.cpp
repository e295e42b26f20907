#include "quillon/ArduinoSketch.h"

namespace quillon {

namespace {

constexpr std::size_t kCodesPerLine = 16;

void appendCode(std::u16string& out, MusicCode code) {
    constexpr char16_t digits[] = u"0123456789abcdef";
    out += u"0x";
    out += digits[code >> 4];
    out += digits[code & 0xf];
}

} // namespace

std::u16string arduinoSketch(std::span<const MusicCode> codes) {
    std::u16string out;
    out +=
        u"// Plays the melody once at start on Timer1's output A: pin 9 on an Uno, Nano or\r\n"
        u"// Leonardo, pin 11 on a Mega. Needs the Quillon library (Sketch > Include Library >\r\n"
        u"// Add .ZIP Library, Quillon-2.0.0.zip).\r\n"
        u"#include <Quillon.h>\r\n"
        u"\r\n"
        u"const unsigned char music_item[] PROGMEM = {\r\n";
    std::size_t onLine = 0;
    for (const MusicCode code : codes) {
        appendCode(out, code);
        out += u',';
        if (++onLine == kCodesPerLine) {
            out += u"\r\n";
            onLine = 0;
        }
    }
    out += u"0x00};\r\n"
           u"\r\n"
           u"void setup() {\r\n"
           u"  quillon_init();\r\n"
           u"  quillon_play_P(music_item);\r\n"
           u"}\r\n"
           u"\r\n"
           u"void loop() {\r\n"
           u"}\r\n";
    return out;
}

} // namespace quillon
