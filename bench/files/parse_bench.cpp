// Parse time of MIDI files given on the command line: the reader alone
// (parseSmf into a reused state) and the whole load into a slot.
//   qz_parse_bench [benchmark flags] FILE...
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "files/file_common.h"
#include "files/smf_reader.h"
#include "program/program.h"
#include "song/sequence_store.h"

namespace {

void parseOnly(benchmark::State& state, std::vector<uint8_t> file) {
    qz::AppState app;
    qz::initAppState(app);
    qz::SmfReadState st;
    qz::Sequence header;
    int64_t events = 0;
    for (auto _ : state) {
        qz::initLoadedHeader(app, header);
        if (qz::parseSmf(st, file.data(), file.data() + file.size(), header) != 0) {
            state.SkipWithError("parse failed");
            break;
        }
        events = int64_t(st.events.size());
        benchmark::DoNotOptimize(st.events.data());
    }
    state.counters["events"] = double(events);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
    qz::freeAppState(app);
}

void fullLoad(benchmark::State& state, std::vector<uint8_t> file) {
    qz::AppState app;
    qz::initAppState(app);
    for (auto _ : state) {
        if (qz::loadMidiImage(app, file.data(), file.size(), "B", "") != 0) {
            state.SkipWithError("load failed");
            break;
        }
        state.PauseTiming();
        qz::deleteAllSequences(app);
        state.ResumeTiming();
    }
    qz::freeAppState(app);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        std::vector<uint8_t> file;
        if (qz::readWholeFile(argv[i], file) != 0) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        std::string name = argv[i];
        name = name.substr(name.find_last_of('/') + 1);
        benchmark::RegisterBenchmark(("parse/" + name).c_str(), parseOnly, file)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("load/" + name).c_str(), fullLoad, file)->Unit(benchmark::kMicrosecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
