// qzseq-cli: the command-line face of the sequencer. Each group of commands
// lives in a source of its own and registers in the table below.
#include <cstdio>
#include <cstring>

#include "app/cli/commands.h"

namespace {

struct Command {
    const char* name;
    const char* usage;
    int (*run)(int argc, char** argv);  // argv[0] is the command name
};

const Command COMMANDS[] = {
#define QZ_CLI_COMMAND(name, usage, fn) {name, usage, fn},
#include "app/cli/command_list.inc"
#undef QZ_CLI_COMMAND
    {nullptr, nullptr, nullptr}};

void printHelp() {
    std::puts("qzseq-cli - QZ-Sequencer command-line tool\n\nusage: qzseq-cli COMMAND [ARGS]\n\ncommands:");
    std::puts("  help                          show this text");
    for (const Command* c = COMMANDS; c->name; ++c) std::printf("  %s\n", c->usage);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
        printHelp();
        return 0;
    }
    for (const Command* c = COMMANDS; c->name; ++c)
        if (std::strcmp(argv[1], c->name) == 0) return c->run(argc - 1, argv + 1);
    std::fprintf(stderr, "qzseq-cli: unknown command '%s' (try 'qzseq-cli help')\n", argv[1]);
    return 2;
}
