// Measurements of a load for the benchmark: how long it takes from the
// removal of the old labels to the redraw, how long the host's windows
// then take to show the new labels, the plug-in's timer ticks and
// the time it spends on each chunk (its USER32 timer calls, seen through
// its import table), what it allocates (its heap and C runtime calls), how
// long messages posted to the host's window wait while it loads, and the
// host's peak working set.
#pragma once

#include <windows.h>

#include <stdio.h>

// Hooks the plug-in's imports and starts posting probe messages to window
// every probeMs milliseconds from a thread of its own.
void StartLoadMeasure(HMODULE plugin, HWND window, DWORD probeMs);

// Stops the probes; the figures stay for the report.
void StopLoadMeasure();

// Writes the figures as "name: value" lines.
void WriteLoadMeasure(FILE* file);
