#include "quillon/EditHistory.h"

namespace quillon {

void EditHistory::clear() {
    entries_.clear();
}

void EditHistory::record(std::size_t position, const EditorSnapshot& snapshot) {
    entries_.resize(position + 1);
    entries_[position] = Entry{snapshot, true};
}

std::optional<EditorSnapshot> EditHistory::at(std::size_t position) const {
    if (position >= entries_.size() || !entries_[position].filed) {
        return std::nullopt;
    }
    return entries_[position].snapshot;
}

} // namespace quillon
