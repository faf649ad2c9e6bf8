#include "program_entry.h"

#include <string_view>

#include "../core/interruption.h"
#include "../midi/midi_cli.h"
#include "../midi/midi_options.h"
#include "../net/socket/socket_layer.h"
#include "../ui/icon_export.h"
#include "broken_pipe.h"
#include "capture_modes.h"
#include "command_line_help.h"
#include "dmx_cli.h"
#include "timer_resolution.h"

namespace {

bool isIconExport(const ArgumentVector& args) { return args.size() == 3 && args[1] == kExportIconMode; }

bool isNetworkMode(const ArgumentVector& args) { return args.size() == 2 && args[1] == kNetworkMode; }

bool isMidiMode(const ArgumentVector& args) { return std::string_view(args[1]).starts_with(midi_options::kPrefix); }

}  // namespace

int runProgram(const ArgumentVector& args, const WindowPath& openWindow) {
    if (args.size() > 1 && !isNetworkMode(args)) {  // the command-line paths
        ignoreBrokenPipeSignal();
        catchInterruptions();
    }
    if (isIconExport(args)) return exportIcon(args[2]);  // no socket library on this path
    if (isInformationMode(args)) return runInformationMode(args);

    startSocketLibrary();
    // Every path from here sends or waits on a timer: the window, the modes.
    const FineTimerResolution fineTimer;
    DmxUniverseState state;
    generateCid(state);
    int exitCode = 0;
    if (args.size() == 1 || isNetworkMode(args)) {
        exitCode = openWindow(state, args.size() == 1 ? WindowChoice::Main : WindowChoice::Network);
    } else {
        exitCode = isCaptureMode(args) ? runCaptureMode(args)
                   : isMidiMode(args)  ? runMidiCommandLine(args)
                                       : runDmxCommandLine(args, state);
    }
    stopSocketLibrary();
    return exitCode;
}
