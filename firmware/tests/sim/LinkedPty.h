#pragma once

#include <string>

namespace quillon::sim {

// A pseudo-terminal's master, non-blocking, whose slave `link` points at: the port the program
// under test opens. Its slave has been opened and closed once, because a master shows POLLHUP
// only after that, so the first open by the program can be told. Throws when there is none.
int openLinkedPty(const std::string& link);

} // namespace quillon::sim
