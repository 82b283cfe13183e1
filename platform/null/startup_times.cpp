// The start-up steps' times of the window program, printed on stderr when
// QZSEQ_STARTUP_TIMES is set.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/window.h"

namespace qz {

double startupMs() {
    using clock = std::chrono::steady_clock;
    static const clock::time_point start = clock::now();
    return std::chrono::duration<double, std::milli>(clock::now() - start).count();
}

void startupStep(const char* step) {
    static const bool on = std::getenv("QZSEQ_STARTUP_TIMES") != nullptr;
    if (on) std::fprintf(stderr, "startup %8.2f ms  %s\n", startupMs(), step);
}

}  // namespace qz
