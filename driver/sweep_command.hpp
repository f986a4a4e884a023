#pragma once
// "plisse sweep": the parameter sweeps of the Python package plisse, run
// from the command line by the same code as plisse.sweep from Python.

/// Runs "plisse sweep" on its arguments (argv[0] is "sweep"): replaces this
/// process by the Python interpreter the package was built for, running
/// "python3 -m plisse sweep" on the same arguments with the package on its
/// path. Returns (with status 1) only when that cannot be done; a build
/// without the Python package says so (status 2).
int sweep_command(int argc, char** argv);
