#pragma once
// Stopping a long analysis early: a wall-clock deadline, and a request that a
// signal handler may raise (an interrupt). Every search checks it at the
// start of each pass and before each candidate; a search that stops leaves
// what it did not reach undecided, so every verdict it gave still holds.

/// Sets the deadline seconds from now; none when seconds is not a positive
/// number below 1e9 (about 30 years).
void set_stop_deadline(double seconds);
/// Asks the searches to stop. Safe in a signal handler.
void request_stop();
/// Whether the searches should stop: a request came or the deadline passed.
bool stop_requested();
/// Whether a search has seen the stop request (the clock is not read).
bool stop_seen();
/// Forgets the deadline and any request.
void clear_stop_request();
