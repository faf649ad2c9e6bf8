// The Linux entry: argv is already the split, UTF-8 argument vector.
#include "../ui/main_window.h"
#include "program_entry.h"

int main(int argc, char** argv) {
    ArgumentVector args;
    for (int i = 0; i < argc; ++i) args.emplace_back(argv[i] ? argv[i] : "");
    // The window toolkit reads its own options from argv.
    return runProgram(args, [&](DmxUniverseState& state, WindowChoice choice) {
        return choice == WindowChoice::Network ? runNetworkWindow(argc, argv, state) : runMainWindow(argc, argv, state);
    });
}
