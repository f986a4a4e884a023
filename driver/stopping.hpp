#pragma once
// Stopping the analysis of a run early: at its time limit, or at the first
// interrupt (Ctrl-C); a second interrupt ends the program at once.

/// Sets the deadline of the analysis seconds from now (none when infinite)
/// and lets the first interrupt stop the analysis instead of the program.
void stop_analysis_at(double seconds);

/// What stopped the analysis before it finished, if anything.
enum class stop_cause { none, time_limit, interrupt };

/// What stopped the analysis of this run (none when it finished).
stop_cause analysis_stop();

/// Says on the error stream that the analysis stopped, naming the time limit
/// of seconds or the interrupt; nothing when cause is none.
void note_stop(stop_cause cause, double seconds);
