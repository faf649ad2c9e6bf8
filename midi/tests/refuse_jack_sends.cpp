// Fault injection for the command-line tests, preloaded into lumibox: every JACK ring
// buffer reports no room, so the MIDI service refuses each message as with a full queue.
// A real JACK server cannot be made to refuse one message on demand.
#include <jack/ringbuffer.h>

extern "C" size_t jack_ringbuffer_write_space(const jack_ringbuffer_t*) { return 0; }
