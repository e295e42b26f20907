#include "quillon/ImportReport.h"

#include <algorithm>

namespace quillon {

void ImportReport::add(ChangeKind kind, std::int64_t count, std::int64_t value) {
    if (count == 0) {
        return;
    }
    const auto at =
        std::lower_bound(changes_.begin(), changes_.end(), kind,
                         [](const Change& change, ChangeKind k) { return change.kind < k; });
    if (at != changes_.end() && at->kind == kind) {
        at->count += count;
        at->value += value;
    } else {
        changes_.insert(at, Change{kind, count, value});
    }
}

void ImportReport::add(const ImportReport& other) {
    for (const Change& change : other.changes_) {
        add(change.kind, change.count, change.value);
    }
}

std::int64_t ImportReport::count(ChangeKind kind) const {
    for (const Change& change : changes_) {
        if (change.kind == kind) {
            return change.count;
        }
    }
    return 0;
}

} // namespace quillon
