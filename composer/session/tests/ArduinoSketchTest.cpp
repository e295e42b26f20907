#include "quillon/ArduinoSketch.h"

#include "FakeWindow.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace quillon {
namespace {

// The whole sketch for a short melody, written out by hand from what a sketch for the Quillon
// library needs: the array in flash, the library's header, setup() starting the flash melody.
TEST(ArduinoSketchTest, IsACompleteSketchThatPlaysTheArrayFromFlashOnce) {
    const std::array<MusicCode, 3> codes = {0x73, 0x9b, 0xf8};
    EXPECT_EQ(
        arduinoSketch(codes),
        u"// Plays the melody once at start on Timer1's output A: pin 9 on an Uno, Nano or\r\n"
        u"// Leonardo, pin 11 on a Mega. Needs the Quillon library (Sketch > Include Library >\r\n"
        u"// Add .ZIP Library, Quillon-2.0.0.zip).\r\n"
        u"#include <Quillon.h>\r\n"
        u"\r\n"
        u"const unsigned char music_item[] PROGMEM = {\r\n"
        u"0x73,0x9b,0xf8,0x00};\r\n"
        u"\r\n"
        u"void setup() {\r\n"
        u"  quillon_init();\r\n"
        u"  quillon_play_P(music_item);\r\n"
        u"}\r\n"
        u"\r\n"
        u"void loop() {\r\n"
        u"}\r\n");
}

// Sixteen codes a line, every byte in two lower-case digits, and the end mark after the last
// line; an empty melody is the end mark alone, which plays nothing.
TEST(ArduinoSketchTest, ArrayLinesAndEnds) {
    std::vector<MusicCode> codes(17, 0x01);
    codes[15] = 0xff;
    codes[16] = 0x0a;
    const std::u16string sketch = arduinoSketch(codes);
    EXPECT_NE(sketch.find(u"{\r\n0x01,0x01,0x01,0x01,0x01,0x01,0x01,0x01,0x01,0x01,0x01,0x01,0x01,"
                          u"0x01,0x01,0xff,\r\n0x0a,0x00};\r\n"),
              std::u16string::npos)
        << std::string(sketch.begin(), sketch.end());
    EXPECT_NE(arduinoSketch({}).find(u"PROGMEM = {\r\n0x00};\r\n"), std::u16string::npos);
}

// The context menu's entry above the recent melodies copies the sketch of what the firmware would
// play: the codes in front of the first 0; when another program holds the clipboard the user is
// told.
TEST(ArduinoSketchTest, TheMenuEntryCopiesThePlayedCodesAsASketch) {
    test::SessionHarness h;
    h.text1.typeAtEnd(u"0x73,0x9b,0x00,0x11,");
    const std::vector<MenuEntry> menu = h.session.contextMenuEntries();
    ASSERT_GE(menu.size(), 2u);
    const MenuEntry& copy = menu[menu.size() - 2];
    EXPECT_EQ(copy.text, u"复制为 Arduino 程序");
    EXPECT_TRUE(copy.enabled);

    h.session.perform(copy.action, copy.item);
    EXPECT_NE(h.clipboard.text.find(u"#include <Quillon.h>\r\n\r\n"
                                    u"const unsigned char music_item[] PROGMEM = {\r\n"
                                    u"0x73,0x9b,0x00};\r\n\r\nvoid setup() {\r\n"
                                    u"  quillon_init();\r\n  quillon_play_P(music_item);\r\n}"),
              std::u16string::npos);
    EXPECT_TRUE(h.notice.warnings.empty());

    h.clipboard.text.clear();
    h.clipboard.refuses = true;
    h.session.perform(SessionAction::CopyArduinoSketch);
    ASSERT_EQ(h.notice.warnings.size(), 1u);
    EXPECT_EQ(h.notice.warnings[0].text, u"无法写入剪贴板：另一个程序正占用着它。请再试一次。");
}

} // namespace
} // namespace quillon
