#include "MelodyChecking.h"

#include "quillon/FindingMarks.h"
#include "quillon/UserTexts.h"

#include <chrono>
#include <exception>

namespace quillon {
namespace {

using namespace std::chrono_literals;

// Reading a long melody from its start takes milliseconds: after a change far from the end,
// check once the clicking or typing pauses.
constexpr auto kCheckDelay = 100ms;
// Within this many code units of the end a change is checked at once.
constexpr std::size_t kNearTheEnd = 4096;

} // namespace

MelodyChecking::MelodyChecking(TextHistory& history, TextMirror& mirror, TimerFactory& timers)
    : history_(history), mirror_(mirror), timer_(timers.makeTimer([this] {
          try {
              check();
          } catch (const std::exception&) {
              // A check that cannot finish leaves the marks as they were; the next change checks
              // again.
          }
      })) {}

void MelodyChecking::settle() {
    const std::size_t earliest = history_.earliestChange();
    if (checked_ || earliest == static_cast<std::size_t>(-1)) {
        return;
    }
    if (earliest + kNearTheEnd >= history_.view().size()) {
        check();
    } else {
        timer_->start(kCheckDelay);
    }
}

void MelodyChecking::check() {
    timer_->stop();
    const std::u16string_view text = history_.view();
    // The history knows where the text changed: the check need not compare it again.
    const Melody& melody = checker_.read(text, history_.takeEarliestChange());
    checked_ = true;
    mirror_.setMarks(marksFor(melody.findings, text));
}

const Melody& MelodyChecking::melody() {
    if (!checked_) {
        check();
    }
    return checker_.melody();
}

std::u16string MelodyChecking::tipAt(std::size_t index) const {
    // Several findings may stand on one place (an element after the end that has no pitch):
    // each says its own, one line apiece.
    std::u16string tip;
    for (const Finding& finding : checker_.melody().findings) {
        if (finding.begin > index) {
            continue;
        }
        if (index < finding.end || (index == finding.end && finding.end > finding.begin)) {
            const std::u16string_view line = findingText(finding.kind);
            if (tip.find(line) == std::u16string::npos) {
                if (!tip.empty()) {
                    tip += u'\n';
                }
                tip += line;
            }
        }
    }
    return tip;
}

} // namespace quillon
