#pragma once

// What every imported tune must satisfy, whatever the bytes it came from: checked by the fuzz
// targets of both readers.
#include "quillon/ImportReport.h"
#include "quillon/TuneConverter.h"

#include <cmath>
#include <cstdlib>
#include <variant>

namespace quillon::fuzz {

inline void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Entries of kinds in order, each at most once, each with something counted.
inline void checkReport(const ImportReport& report) {
    for (std::size_t i = 0; i < report.changes().size(); ++i) {
        const Change& change = report.changes()[i];
        check(change.count > 0);
        check(i == 0 || report.changes()[i - 1].kind < change.kind);
    }
}

// The elements as a reader hands them on, and the codes they become: notes C3 to B6 with
// duration codes 1 to 7, the seven rest codes, never the terminator.
inline void checkTune(const Tune& tune) {
    checkReport(tune.report);
    for (const TuneElement& e : tune.elements) {
        check(std::isfinite(e.ms) && e.ms > 0);
        check(e.isRest() || (e.pitch >= 0 && e.pitch <= 132));
    }
    const auto converted = convertTune(tune);
    if (const auto* error = std::get_if<ImportError>(&converted)) {
        check(*error == ImportError::TooLong);
        return;
    }
    const auto& out = std::get<ConvertedTune>(converted);
    checkReport(out.report);
    check(out.codes.size() >= tune.elements.size() && out.codes.size() <= kMaxImportedCodes);
    for (const MusicCode code : out.codes) {
        const bool note = (code >> 3) <= 27 && (code & 7) != 0;
        const bool rest = code >= 0xf8 && code != 0xfb;
        check(note || rest);
    }
}

} // namespace quillon::fuzz
