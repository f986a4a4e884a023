#pragma once
// Quoting a component text in a message: a megabyte text is shown as a short
// excerpt around the fault, with its position, and a hint where a common
// slip explains a syntax error.

#include <cstddef>
#include <string>

/// Characters of a text a message quotes at most.
constexpr std::size_t quoted_length = 80;

/// text in quotes: whole when short, otherwise the quoted_length characters
/// around position (the start when none is given), with "…" where text goes
/// on. Bytes that do not print show as '?'.
std::string excerpt(const std::string& text, std::size_t position = 0);

/// Where a message says a fault is: "at character N of M" (counted from 1),
/// or "at the end of its M characters".
std::string position_text(const std::string& text, std::size_t position);

/// A hint for the syntax error of the component text at position, "" when
/// no common slip explains it: x**2 for x^2, 2x for 2*x, a function name the
/// language does not know (log for ln).
std::string syntax_hint(const std::string& text, std::size_t position);
