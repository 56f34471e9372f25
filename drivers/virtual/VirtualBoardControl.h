#pragma once

// Functions each virtual driver library exports besides the driver ABI, so tests in the same
// process can set the board up and look at it, as XT4830_VIRTUAL_BOARD and
// XT4830_VIRTUAL_TRACE do from outside.
extern "C" {
// Powers the board on afresh with the settings (same syntax as XT4830_VIRTUAL_BOARD);
// 0 on success, -1 when the settings cannot be understood (nothing changes then).
int xt4830_virtual_reset(const char* settings);
// Plugs the board in (nonzero) or pulls it out (0).
void xt4830_virtual_set_present(int present);
// Starts a new trace file; null or empty stops tracing.
void xt4830_virtual_set_trace(const char* path);
// The voltage at DAC output 0 to 3 (A to D).
double xt4830_virtual_output_volts(int channel);
}

using VirtualResetFn = decltype(xt4830_virtual_reset);
using VirtualSetPresentFn = decltype(xt4830_virtual_set_present);
using VirtualSetTraceFn = decltype(xt4830_virtual_set_trace);
using VirtualOutputVoltsFn = decltype(xt4830_virtual_output_volts);
