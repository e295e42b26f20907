// The conversion rules on tunes made by hand, where one rule meets many lengths and pitches.
// Expected codes by hand: note index x 8 + duration code, rests by the rest code table.
#include "quillon/TuneConverter.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillon {
namespace {

constexpr int kRest = TuneElement::kRest;

std::vector<int> codesOf(const std::vector<TuneElement>& elements, ImportReport* report = nullptr) {
    const auto result = convertTune(Tune{elements, {}});
    if (!std::holds_alternative<ConvertedTune>(result)) {
        ADD_FAILURE() << "refused";
        return {};
    }
    const auto& converted = std::get<ConvertedTune>(result);
    if (report) {
        *report = converted.report;
    }
    return {converted.codes.begin(), converted.codes.end()};
}

TEST(ConversionRules, LengthsGoToTheNearestCodeOrChain) {
    const struct {
        double ms;
        std::vector<int> note; // C5, note index 14: 0x70 + duration code
        std::vector<int> rest;
        bool rounded;
    } cases[] = {
        {1, {0x71}, {0xf9}, true},
        {100, {0x71}, {0xf9}, false},
        {149.9, {0x71}, {0xf9}, true},
        // Ties go to the longer length.
        {150, {0x72}, {0xfa}, true},
        {299, {0x72}, {0xfa}, true},
        {300, {0x73}, {0xf8}, true},
        {400, {0x73}, {0xf8}, false},
        {600, {0x74}, {0xfc}, true},
        {1000, {0x75}, {0xfd}, true},
        {1200, {0x75}, {0xfd}, false},
        {1400, {0x76}, {0xfe}, true},
        {1800, {0x77}, {0xff}, true},
        {2000, {0x77}, {0xff}, false},
        // Past 2000 ms the nearest 100 ms, halves upward; 2049 is still one code.
        {2049, {0x77}, {0xff}, true},
        {2050, {0x77, 0x71}, {0xff, 0xf9}, true},
        {3700, {0x77, 0x76, 0x71}, {0xff, 0xfe, 0xf9}, false},
        {4700, {0x77, 0x77, 0x73, 0x72, 0x71}, {0xff, 0xff, 0xf8, 0xfa, 0xf9}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ms);
        ImportReport noteReport;
        ImportReport restReport;
        EXPECT_EQ(codesOf({{72, c.ms}}, &noteReport), c.note);
        EXPECT_EQ(codesOf({{kRest, c.ms}}, &restReport), c.rest);
        EXPECT_EQ(noteReport.count(ChangeKind::NoteLengthRounded), c.rounded ? 1 : 0);
        EXPECT_EQ(restReport.count(ChangeKind::RestLengthRounded), c.rounded ? 1 : 0);
        const auto added = static_cast<std::int64_t>(c.note.size()) - 1;
        EXPECT_EQ(noteReport.count(ChangeKind::NoteSplit), added > 0 ? 1 : 0);
        EXPECT_EQ(restReport.count(ChangeKind::RestSplit), added > 0 ? 1 : 0);
    }
}

TEST(ConversionRules, NaturalsFromC3ToB6AreNoteIndexes0To27) {
    const struct {
        int pitch;
        int code;
    } cases[] = {{48, 0x03}, {50, 0x0b}, {59, 0x33}, {60, 0x3b}, {69, 0x63},
                 {71, 0x6b}, {72, 0x73}, {84, 0xab}, {89, 0xc3}, {95, 0xdb}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pitch);
        ImportReport report;
        EXPECT_EQ(codesOf({{c.pitch, 400}}, &report), std::vector<int>{c.code});
        EXPECT_TRUE(report.empty());
    }
}

TEST(ConversionRules, RestsAloneMoveNothing) {
    ImportReport report;
    EXPECT_EQ(codesOf({{kRest, 400}, {kRest, 200}}, &report), (std::vector<int>{0xf8, 0xfa}));
    EXPECT_TRUE(report.empty());
}

TEST(ConversionRules, TunesOverTheFlashOfTheLargestChipAreRefused) {
    // 32767 codes and the 0x00 fill 32 KiB.
    const std::vector<TuneElement> full(kMaxImportedCodes, TuneElement{72, 100});
    EXPECT_EQ(codesOf(full).size(), kMaxImportedCodes);
    std::vector<TuneElement> over = full;
    over.push_back(TuneElement{kRest, 100});
    EXPECT_EQ(std::get<ImportError>(convertTune(Tune{over, {}})), ImportError::TooLong);
    // One note as a chain: 32767 codes of 2000 ms fit, 100 ms more does not; nothing the size
    // of a huge length is ever made.
    EXPECT_EQ(codesOf({{72, 2000.0 * kMaxImportedCodes}}).size(), kMaxImportedCodes);
    EXPECT_EQ(
        std::get<ImportError>(convertTune(Tune{{{72, 2000.0 * kMaxImportedCodes + 100}}, {}})),
        ImportError::TooLong);
    EXPECT_EQ(std::get<ImportError>(convertTune(Tune{{{kRest, 1e300}}, {}})), ImportError::TooLong);
}

} // namespace
} // namespace quillon
