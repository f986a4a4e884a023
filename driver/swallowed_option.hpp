#pragma once
// An option whose value is missing takes the next argument as its value, even
// when that is another option (--json --no-window would write a file named
// --no-window): found after parsing, from the values every option received.
// And an option of one value given twice, whose first value would be dropped unseen.

#include <CLI/CLI.hpp>

#include <string>

/// "OPTION: ..." naming the first option that took another option as its
/// value, "" when none did.
std::string swallowed_option(const CLI::App& app);

/// The message for a flag written with a value the parser cannot read
/// (--no-window=-x makes it throw a standard exception, not a parse error):
/// names the first flag of argv written with "=".
std::string flag_value_problem(const CLI::App& app, int argc, const char* const* argv);

/// "OPTION is given N times; give it once" for the first option of one value
/// (or one pair of bounds) that argv names more than once, "" when none.
std::string repeated_option(const CLI::App& app, int argc, const char* const* argv);
