#pragma once
// The DMX network engine of the window, driven without the window: every operation takes
// the engine record, the transmit universe, the view (dmx_view.h) and, where time matters,
// the monotonic tick count in milliseconds (tickCountMs() in the window, any value in tests).
//
// Buttons (plain clicks only, except Reset network which acts on any notification),
// routed by handleDmxCommand:
//   105 toggleReceive        106 onContinuousTx      107 onSendValue
//   108 onPulseToZero        111 onAllToZero          116 resetNetwork
// Timer tick, every 10 ms, after the MIDI steps:
//   pollReceive(engine, state, view, tickCountMs());
//   const uint64_t now = tickCountMs();
//   transmitTick(engine, state, view, now);
//   if (isDmxStatusDue(engine, now)) refreshDmxStatus(engine, view, now);
// Window creation: refreshReceivedColumn and refreshOutputColumn once (all cells "0").
// Window close, after the MIDI ports: stopTransmit(..., tickCountMs()), then stopReceive.
#include "dmx_command.h"
#include "dmx_control_ids.h"
#include "dmx_endpoint.h"
#include "dmx_engine_record.h"
#include "dmx_status_text.h"
#include "dmx_view.h"
#include "receive_monitor.h"
#include "transmit_buttons.h"
#include "transmit_engine.h"
