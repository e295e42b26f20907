// RTTTL lines through importTune, the entry point the tool and the windows call. Every expected
// code is worked out by hand from the format's description and the import rules: a quarter
// lasts 60,000 / b ms, octave 4 holds A4 (so o=5 c is C5, note index 14), and code = note
// index x 8 + duration code (100 ms 1, 200 ms 2, 400 ms 3, 800 ms 4, 1200 ms 5, 1600 ms 6,
// 2000 ms 7).
#include "quillon/ImportTune.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon {
namespace {

using K = ChangeKind;

struct Case {
    const char* name;
    std::string text;
    std::vector<int> codes;
    std::vector<Change> report;
};

ImportResult importText(const std::string& text) {
    return importTune(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

const Case kCases[] = {
    // The README's worked example: naturals in range at 150 beats a minute, nothing changes.
    {"worked example",
     "scale:d=4,o=5,b=150:c,d,e,f,g,a,b,c6",
     {0x73, 0x7b, 0x83, 0x8b, 0x93, 0x9b, 0xa3, 0xab},
     {}},
    // d=4, o=6, b=63 where the header says nothing: a quarter of 952.4 ms is nearest 800 ms.
    {"all defaults", "x::c,e", {0xac, 0xbc}, {{K::NoteLengthRounded, 2, 0}}},
    {"beats given, duration and octave default", "x:b=150:c", {0xab}, {}},
    {"settings without equals signs", "x:d4,o5,b150:c", {0x73}, {}},
    // Half notes dotted before or after the octave: 1200 ms; a dotted whole pause is 2400 ms,
    // 2000 + 400.
    {"dots before and after the octave",
     "x:d=4,o=5,b=150:2c.,2c.5,2c5.,1p.",
     {0x75, 0x75, 0x75, 0xff, 0xf8},
     {{K::RestSplit, 1, 1}}},
    {"pauses of every length",
     "x:d=4,o=5,b=150:16p,8p,p,2p,1p,p5",
     {0xf9, 0xfa, 0xf8, 0xfc, 0xfe, 0xf8},
     {}},
    // At 120 a minute a whole is 2000 ms; at 300 a 32nd is 25 ms, nearest 100.
    {"the longest and a too short pause",
     "x:d=1,o=5,b=120:p,c,b=300,32p",
     {0xff, 0x77, 0xf9},
     {{K::RestLengthRounded, 1, 0}}},
    {"any case", "Tune:D=8,O=5,B=150:C,4E,P,G6", {0x72, 0x83, 0xfa, 0xca}, {}},
    {"h is b", "x:d=4,o=5,b=150:h,B", {0xa3, 0xa3}, {}},
    {"spaces and line ends",
     "scale : d=4, o=5,\r\n b=150 :\n c, d ,e\r\n\t",
     {0x73, 0x7b, 0x83},
     {}},
    // Collections: a line that starts with name:settings: begins the next tune; the first is
    // taken and the others counted. A tune's notes run on over lines without a header, and a
    // later tune with no notes is no tune.
    {"two tunes on two lines",
     "x:d=4,o=5,b=150:c,d\ny:d=4,o=5,b=150:e,f",
     {0x73, 0x7b},
     {{K::OtherTunesLeftOut, 1, 0}}},
    {"notes on the next line, three tunes",
     "a:d=4,o=5,b=150:c,\r\nd\r\nb:o=6:c\r\n c : b=100 : e",
     {0x73, 0x7b},
     {{K::OtherTunesLeftOut, 2, 0}}},
    {"a later tune without notes",
     "x:d=4,o=5,b=150:c\ny:d=4:\nz:d=4:e",
     {0x73},
     {{K::OtherTunesLeftOut, 1, 0}}},
    // A UTF-8 byte order mark and a name in Chinese.
    {"byte order mark", "\xEF\xBB\xBF\xE5\xB0\x8F\xE6\x98\x9F:d=4,o=5,b=150:c", {0x73}, {}},
    // Settings among the notes: the octave, then the tempo (75 a minute, a quarter 800 ms).
    {"settings among the notes",
     "x:d=4,o=5,b=150:c,o=6,c,b=75,c,d=8,c",
     {0x73, 0xab, 0xac, 0xab},
     {}},
    // 3 is no duration, x no note, e## has two sharps, c#.5. two dots, b=0 no tempo; the empty
    // item between two commas is nothing to skip.
    {"bad tokens skipped",
     "x:d=4,o=5,b=150:c,3d,x,e##,,e,c#.5.,b=0,d",
     {0x73, 0x83, 0x7b},
     {{K::TokenSkipped, 5, 0}}},
    {"bad setting keeps the default", "x:d=3,o=5,b=150:c", {0x73}, {{K::TokenSkipped, 1, 0}}},
    {"unknown settings ignored", "x:d=4,o=5,b=150,s=n,l=15:c", {0x73}, {}},
    // D major: only 2 semitones down (or 10 up) puts all 8 notes on naturals.
    {"transposed down",
     "x:d=4,o=5,b=150:d,e,f#,g,a,b,c#6,d6",
     {0x73, 0x7b, 0x83, 0x8b, 0x93, 0x9b, 0xa3, 0xab},
     {{K::Transposed, 8, -2}}},
    // One sharp: a semitone up and a semitone down tie; upward wins.
    {"tie goes upward", "x:d=4,o=5,b=150:c#", {0x7b}, {{K::Transposed, 1, 1}}},
    // Seven naturals and one sharp: no shift does better than none.
    {"took the natural below",
     "x:d=4,o=5,b=150:c,d,e,f,g,a,b,c#",
     {0x73, 0x7b, 0x83, 0x8b, 0x93, 0x9b, 0xa3, 0x73},
     {{K::TookNaturalBelow, 1, 0}}},
    {"octave down", "x:d=4,o=7,b=150:c,d,e", {0xab, 0xb3, 0xbb}, {{K::OctaveMoved, 3, -1}}},
    // C3 and C7: no octave move puts both in range, so none; C7 goes down to C6 alone.
    {"octave tie keeps the place",
     "x:d=4,o=5,b=150:c3,c7",
     {0x03, 0xab},
     {{K::MovedIntoRange, 1, 0}}},
    // An octave up puts C2 in range as well as the other seven: 8 notes in, against 7.
    {"octave up for the most in range",
     "x:d=4,o=5,b=150:c,d,e,f,g,a,b,c2",
     {0xab, 0xb3, 0xbb, 0xc3, 0xcb, 0xd3, 0xdb, 0x03},
     {{K::OctaveMoved, 8, 1}}},
    // C1 is out of range either way; the seven stay, and C1 comes up two octaves.
    {"moved into range",
     "x:d=4,o=5,b=150:c,d,e,f,g,a,b,c1",
     {0x73, 0x7b, 0x83, 0x8b, 0x93, 0x9b, 0xa3, 0x03},
     {{K::MovedIntoRange, 1, 0}}},
    // A whole at 30 a minute is 8000 ms: four codes of 2000 ms, the note struck again.
    {"long note split", "x:d=1,o=5,b=30:c", {0x77, 0x77, 0x77, 0x77}, {{K::NoteSplit, 1, 3}}},
    // A whole at 98 a minute is 2449 ms: 2400 = 2000 + 400.
    {"split and rounded",
     "x:d=1,o=5,b=98:c",
     {0x77, 0x73},
     {{K::NoteLengthRounded, 1, 0}, {K::NoteSplit, 1, 1}}},
    // Everything at once, in the report's order: 100 a minute makes quarters of 600 ms, a tie
    // that goes to 800 ms; a semitone down puts all seven notes on naturals; c9 then lies
    // above B6 and comes down two octaves.
    {"report in order",
     "x:d=4,o=5,b=100:c#,d#,f#,g#,a#,1c,p,2p,c9,zz",
     {0x74, 0x7c, 0x8c, 0x94, 0x9c, 0x6f, 0x6b, 0xfc, 0xfd, 0xdc},
     {{K::Transposed, 7, -1},
      {K::MovedIntoRange, 1, 0},
      {K::NoteLengthRounded, 6, 0},
      {K::RestLengthRounded, 1, 0},
      {K::NoteSplit, 1, 1},
      {K::TokenSkipped, 1, 0}}},
};

TEST(RtttlImport, LinesBecomeCodesWithTheirReport) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const ImportResult result = importText(c.text);
        ASSERT_TRUE(std::holds_alternative<ImportedTune>(result))
            << "error " << static_cast<int>(std::get<ImportError>(result));
        const auto& tune = std::get<ImportedTune>(result);
        EXPECT_EQ(tune.format, TuneFormat::Rtttl);
        EXPECT_EQ(std::vector<int>(tune.codes.begin(), tune.codes.end()), c.codes);
        EXPECT_EQ(tune.report.changes(), c.report);
    }
}

TEST(RtttlImport, TextsThatAreNoTuneAreRefusedWithTheirReason) {
    const struct {
        std::string text;
        ImportError error;
    } cases[] = {
        {"", ImportError::Empty},
        {" \r\n\t", ImportError::Empty},
        {"hello", ImportError::NotATune},
        {"a:b:c", ImportError::NotATune},
        {"12:30 meeting:c", ImportError::NotATune},
        {"const unsigned char music_item[] = {\r\n0x73,0x00};\r\n", ImportError::NotATune},
        {std::string("x:d=4:c\0d", 9), ImportError::NotATune},
        {"x:d=4,o=5,b=150", ImportError::CutShort},
        {"x:", ImportError::CutShort},
        {"x:d=4,o=5,b=150:", ImportError::NoNotes},
        {"x:d=4:zz,yy,", ImportError::NoNotes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const ImportResult result = importText(c.text);
        ASSERT_TRUE(std::holds_alternative<ImportError>(result));
        EXPECT_EQ(std::get<ImportError>(result), c.error);
    }
}

} // namespace
} // namespace quillon
