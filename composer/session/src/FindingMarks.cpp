#include "quillon/FindingMarks.h"

#include <algorithm>

namespace quillon {
namespace {

bool onlyBlanksAndCommas(std::u16string_view gap) {
    return std::all_of(gap.begin(), gap.end(),
                       [](char16_t ch) { return ch == u' ' || ch == u'\t' || ch == u','; });
}

bool hasLineBreak(std::u16string_view span) {
    return span.find_first_of(u"\r\n") != std::u16string_view::npos;
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

// Errors over hints, both sorted and each never overlapping itself, merged in one pass: an
// error that overlaps a hint cuts it.
std::vector<TextMark> errorsOverHints(const std::vector<TextMark>& errors,
                                      const std::vector<TextMark>& hints) {
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

// The marks that begin on one line, more than a line may hold: at most three.
void mergeLine(std::span<const TextMark> line, std::vector<TextMark>& out) {
    const auto isError = [](const TextMark& mark) { return mark.style == MarkStyle::Error; };
    const auto firstError = std::find_if(line.begin(), line.end(), isError);
    if (firstError == line.end()) {
        out.push_back({line.front().begin, line.back().end, MarkStyle::Hint});
        return;
    }
    const auto lastError = std::find_if(line.rbegin(), line.rend(), isError).base() - 1;
    if (firstError != line.begin()) {
        out.push_back({line.front().begin, (firstError - 1)->end, MarkStyle::Hint});
    }
    out.push_back({firstError->begin, lastError->end, MarkStyle::Error});
    if (lastError + 1 != line.end()) {
        out.push_back({(lastError + 1)->begin, line.back().end, MarkStyle::Hint});
    }
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
    const std::vector<TextMark> marks =
        errorsOverHints(runs(sorted, text, MarkStyle::Error), runs(sorted, text, MarkStyle::Hint));

    // Line by line: the gaps between the starts of marks hold every line break once.
    std::vector<TextMark> out;
    out.reserve(marks.size());
    for (std::size_t first = 0; first < marks.size();) {
        std::size_t last = first + 1;
        while (last < marks.size() &&
               !hasLineBreak(
                   text.substr(marks[last - 1].begin, marks[last].begin - marks[last - 1].begin))) {
            ++last;
        }
        const std::span<const TextMark> line(marks.data() + first, last - first);
        if (line.size() > kMarksPerLine) {
            mergeLine(line, out);
        } else {
            out.insert(out.end(), line.begin(), line.end());
        }
        first = last;
    }
    return out;
}

std::span<const TextMark> marksWithin(std::span<const TextMark> marks, std::size_t begin,
                                      std::size_t end) {
    // Never overlapping, so their ends are sorted as their begins are.
    const auto first = std::partition_point(
        marks.begin(), marks.end(), [&](const TextMark& mark) { return mark.end <= begin; });
    const auto last = std::partition_point(first, marks.end(),
                                           [&](const TextMark& mark) { return mark.begin < end; });
    return {first, last};
}

std::size_t followEdit(std::size_t at, bool isEnd, const TextEdit& edit) {
    if (at < edit.from || (at == edit.from && !isEnd)) {
        return at;
    }
    if (at >= edit.oldEnd) {
        return at - edit.oldEnd + edit.newEnd;
    }
    return isEnd ? edit.newEnd : edit.from;
}

void followEdit(std::vector<TextMark>& marks, const TextEdit& edit) {
    // Marks wholly before the edit stay as they are.
    auto kept = std::partition_point(marks.begin(), marks.end(),
                                     [&](const TextMark& mark) { return mark.end < edit.from; });
    for (auto mark = kept; mark != marks.end(); ++mark) {
        const TextMark now{followEdit(mark->begin, false, edit), followEdit(mark->end, true, edit),
                           mark->style};
        if (now.begin < now.end) {
            *kept++ = now;
        }
    }
    marks.erase(kept, marks.end());
}

std::vector<TextMark> marksChanged(std::span<const TextMark> before,
                                   std::span<const TextMark> after) {
    std::vector<TextMark> out;
    auto old = before.begin();
    auto now = after.begin();
    while (old != before.end() || now != after.end()) {
        if (now == after.end() || (old != before.end() && old->begin < now->begin)) {
            out.push_back(*old++);
        } else if (old == before.end() || now->begin < old->begin) {
            out.push_back(*now++);
        } else {
            if (*old != *now) {
                out.push_back(*old);
                out.push_back(*now);
            }
            ++old;
            ++now;
        }
    }
    return out;
}

} // namespace quillon
