#pragma once

#include "quillon/CodeCounter.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace quillon {

// What undo and redo bring back besides the text: the counters and whether the count caption
// shows the count or the bare "0" of start-up and Clear.
struct EditorSnapshot {
    CodeCounter counter;
    bool captionShowsCount = false;
    bool breakWaits = false;

    friend bool operator==(const EditorSnapshot&, const EditorSnapshot&) = default;
};

// The editor's state at each point of the text box's undo history. A point is filed when a
// change ends there; undo and redo land only on such points, so they always find one.
class EditHistory {
public:
    void clear();

    // Files `snapshot` at `position`. Every point above it belonged to the redo branch that the
    // change at `position` has just cut off, so they are forgotten.
    void record(std::size_t position, const EditorSnapshot& snapshot);

    std::optional<EditorSnapshot> at(std::size_t position) const;

private:
    struct Entry {
        EditorSnapshot snapshot;
        bool filed = false;
    };
    std::vector<Entry> entries_;
};

} // namespace quillon
