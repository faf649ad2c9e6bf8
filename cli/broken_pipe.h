#pragma once
// A closed pipe or socket on the far side of an output file must end a command-line mode
// with its write-failure exit code, not kill the process with SIGPIPE.
void ignoreBrokenPipeSignal();
