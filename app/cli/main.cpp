// qzseq-cli: the command-line face of the sequencer.
#include <cstdio>
#include <cstring>

namespace {

void printHelp() {
    std::puts(
        "qzseq-cli - QZ-Sequencer command-line tool\n"
        "\n"
        "usage: qzseq-cli COMMAND [ARGS]\n"
        "\n"
        "commands:\n"
        "  help                 show this text\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
        printHelp();
        return 0;
    }
    std::fprintf(stderr, "qzseq-cli: unknown command '%s'\n", argv[1]);
    return 2;
}
