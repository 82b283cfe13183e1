// The stable text form of loaded sequences that `qzseq-cli dump` prints.
#pragma once

#include <string>

namespace qz {

struct Sequence;

// Append one sequence: its `sequence` line, 16 `track` lines, then one
// `event` line per event in store order.
void dumpSequence(const Sequence* s, std::string& out);

}  // namespace qz
