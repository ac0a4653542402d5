#pragma once

// Marks on the way from opening a song to seeing and hearing it, for the open
// benchmark: with KESMARIN_TRACE_OPEN=1 each is printed once on standard
// error as "kesmarin-trace NAME MS", MS on the system's monotonic clock.
// From the first mark on, the longest wait between two turns of the event
// loop is kept and printed with the "whole-waveform" mark.
namespace OpenTrace {
bool enabled();
void mark(const char *name);
}
