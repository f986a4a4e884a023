// Finding options that took another option as their value.

#include "swallowed_option.hpp"

#include <algorithm>
#include <vector>

namespace {

/// Whether the argument a names option (alone, or as --name=value).
bool names(const CLI::Option& option, const std::string& a)
{
    for (const std::string& name : option.get_lnames()) {
        const std::string written = "--" + name;
        if (a == written || a.rfind(written + "=", 0) == 0) return true;
    }
    for (const std::string& name : option.get_snames()) {
        if (a == "-" + name) return true;
    }
    return false;
}

/// Whether the argument a names one of app's options.
bool names_an_option(const CLI::App& app, const std::string& a)
{
    const std::vector<const CLI::Option*> options = app.get_options();
    return std::any_of(options.begin(), options.end(), [&a](const CLI::Option* o) { return names(*o, a); });
}

}  // namespace

std::string flag_value_problem(const CLI::App& app, int argc, const char* const* argv)
{
    for (int k = 1; k < argc; ++k) {
        const std::string a = argv[k];
        const std::size_t equals = a.find('=');
        if (a.rfind("--", 0) != 0 || equals == std::string::npos) continue;
        const CLI::Option* option = app.get_option_no_throw(a.substr(0, equals));
        if (option != nullptr && option->get_expected_min() == 0) {
            return option->get_name() + " cannot read the value " + a.substr(equals + 1)
                   + ": it is a flag, written without a value";
        }
    }
    return "the command line cannot be read";
}

std::string swallowed_option(const CLI::App& app)
{
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_expected_min() == 0) continue;
        for (const std::string& value : option->results()) {
            if (names_an_option(app, value)) {
                return option->get_name() + " took the next option " + value + " as its value: a value of "
                       + option->get_name() + " is missing or incomplete";
            }
        }
    }
    return "";
}

std::string repeated_option(const CLI::App& app, int argc, const char* const* argv)
{
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_expected_min() == 0) continue;
        const auto given = std::count_if(argv + 1, argv + argc, [&](const char* a) { return names(*option, a); });
        if (given > 1) return option->get_name() + " is given " + std::to_string(given) + " times; give it once";
    }
    return "";
}
