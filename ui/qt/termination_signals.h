#pragma once
// SIGTERM and SIGINT close the windows the way their close buttons do, so the engines stop
// in their order (MIDI ports, then transmit with a pending pulse's zeros, then receive)
// and the process ends with exit code 0 instead of dying mid-pulse.
class QWidget;

// From now on the first SIGTERM or SIGINT closes every other open window, then window; a
// second one while they close ends the process as usual. False when the signals could not be taken over.
bool closeWindowOnTerminationSignals(QWidget& window);

// Gives SIGTERM and SIGINT back their usual effect.
void restoreTerminationSignals();
