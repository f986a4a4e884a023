#pragma once
// Stopping the analysis of a run early: at its time limit, or at the first
// interrupt (Ctrl-C); a second interrupt ends the program at once.

/// Sets the deadline of the analysis seconds from now (none when infinite)
/// and lets the first interrupt stop the analysis instead of the program.
void stop_analysis_at(double seconds);

/// Whether the analysis was stopped before it finished; when it was, says so
/// on the error stream, naming the time limit or the interrupt.
bool note_stop(double seconds);
