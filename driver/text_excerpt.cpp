// Excerpts of component texts and hints on syntax errors.

#include "text_excerpt.hpp"

#include <algorithm>
#include <cctype>
#include <map>

namespace {

bool is_blank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool is_digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool is_name_character(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

/// The position of the last character before position that is not a blank,
/// or text.size() when there is none.
std::size_t previous_character(const std::string& text, std::size_t position)
{
    while (position > 0) {
        --position;
        if (!is_blank(text[position])) return position;
    }
    return text.size();
}

/// The name (letters and digits) that ends at end (exclusive).
std::string name_ending_at(const std::string& text, std::size_t end)
{
    std::size_t start = end;
    while (start > 0 && is_name_character(text[start - 1])) --start;
    return text.substr(start, end - start);
}

std::string lower_case(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

const char* const known_functions = "sin, cos, tan, atan, sinh, cosh, exp, ln, sqrt and sqr";

/// The hint for a name written as a function that the language does not know.
std::string unknown_function_hint(const std::string& name)
{
    static const std::map<std::string, std::string> instead = {
        {"log", "write ln for the natural logarithm"}, {"pow", "write a^n for a power"},
        {"arctan", "write atan"}};
    std::string hint = excerpt(name) + " is not a function of the language, which knows " + known_functions + " (in lower case, capitalised or in capitals)";
    const auto found = instead.find(lower_case(name));
    if (found != instead.end()) hint += "; " + found->second;
    return hint;
}

}  // namespace

std::string excerpt(const std::string& text, std::size_t position)
{
    std::size_t start = 0;
    if (text.size() > quoted_length) {
        start = position > quoted_length / 2 ? position - quoted_length / 2 : 0;
        start = std::min(start, text.size() - quoted_length);
    }
    const std::size_t end = std::min(text.size(), start + quoted_length);
    std::string shown = text.substr(start, end - start);
    std::replace_if(shown.begin(), shown.end(), [](unsigned char c) { return !std::isprint(c); }, '?');
    return std::string("\"") + (start > 0 ? "…" : "") + shown + (end < text.size() ? "…" : "") + "\"";
}

std::string position_text(const std::string& text, std::size_t position)
{
    const std::string length = std::to_string(text.size());
    if (position >= text.size()) return "at the end of its " + length + " characters";
    return "at character " + std::to_string(position + 1) + " of " + length;
}

std::string syntax_hint(const std::string& text, std::size_t position)
{
    if (position >= text.size()) return "";
    const char at = text[position];
    const std::size_t before = previous_character(text, position);
    if (before == text.size()) return "";
    if (at == '*' && text[before] == '*') return "write x^2 for a power, not x**2";
    if (at == '(' && is_name_character(text[before])) {
        const std::string name = name_ending_at(text, before + 1);
        if (!name.empty() && !is_digit(name[0])) return unknown_function_hint(name);
    }
    if (is_name_character(at) || at == '(') {
        if (is_digit(text[before]) && std::isalpha(static_cast<unsigned char>(at)))
            return "write 2*x for a product, not 2x";
        if (is_name_character(text[before]) || text[before] == ')')
            return "a product needs its *: write x*y, not x y";
    }
    return "";
}
