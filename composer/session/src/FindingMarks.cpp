#include "quillon/FindingMarks.h"

#include <algorithm>

namespace quillon {
namespace {

bool onlyBlanksAndCommas(std::u16string_view gap) {
    return std::all_of(gap.begin(), gap.end(),
                       [](char16_t ch) { return ch == u' ' || ch == u'\t' || ch == u','; });
}

// The runs of one style, merged.
std::vector<TextMark> runs(std::span<const Finding> findings, std::u16string_view text,
                           MarkStyle style) {
    std::vector<TextMark> out;
    for (const Finding& finding : findings) {
        if (markStyle(finding) != style || finding.begin >= finding.end) {
            continue;
        }
        const std::size_t begin = std::min(finding.begin, text.size());
        const std::size_t end = std::min(finding.end, text.size());
        if (!out.empty()) {
            TextMark& last = out.back();
            if (begin <= last.end || onlyBlanksAndCommas(text.substr(last.end, begin - last.end))) {
                last.end = std::max(last.end, end);
                continue;
            }
        }
        out.push_back({begin, end, style});
    }
    return out;
}

} // namespace

MarkStyle markStyle(const Finding& finding) {
    return findingWeight(finding.kind) == FindingWeight::Hint ? MarkStyle::Hint : MarkStyle::Error;
}

std::vector<TextMark> marksFor(std::span<const Finding> findings, std::u16string_view text) {
    // Findings come in text order, but one may reach over the next (an open comment runs to
    // the end): sort by start so that runs merge.
    std::vector<Finding> sorted(findings.begin(), findings.end());
    if (!std::is_sorted(sorted.begin(), sorted.end(),
                        [](const Finding& a, const Finding& b) { return a.begin < b.begin; })) {
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const Finding& a, const Finding& b) { return a.begin < b.begin; });
    }
    const std::vector<TextMark> errors = runs(sorted, text, MarkStyle::Error);
    const std::vector<TextMark> hints = runs(sorted, text, MarkStyle::Hint);

    std::vector<TextMark> out;
    out.reserve(errors.size() + hints.size());
    auto error = errors.begin();
    for (TextMark hint : hints) {
        // Errors wholly before this hint go first; an error that overlaps it cuts it.
        while (error != errors.end() && error->begin < hint.end) {
            if (error->end <= hint.begin) {
                out.push_back(*error++);
                continue;
            }
            if (error->begin > hint.begin) {
                out.push_back({hint.begin, error->begin, MarkStyle::Hint});
            }
            hint.begin = std::max(hint.begin, error->end);
            if (error->end > hint.end) {
                break;
            }
            out.push_back(*error++);
            if (hint.begin >= hint.end) {
                break;
            }
        }
        if (hint.begin < hint.end) {
            out.push_back(hint);
        }
    }
    out.insert(out.end(), error, errors.end());
    return out;
}

} // namespace quillon
