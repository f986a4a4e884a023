#pragma once
// An option whose value is missing takes the next argument as its value, even
// when that is another option (--json --no-window would write a file named
// --no-window): found after parsing, from the values every option received.

#include <CLI/CLI.hpp>

#include <string>

/// "OPTION: ..." naming the first option that took another option as its
/// value, "" when none did.
std::string swallowed_option(const CLI::App& app);
