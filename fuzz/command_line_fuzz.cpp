// Fuzz target of the command line: the input, split at line ends, is the
// argument vector; it goes through reading and checking only (no analysis).
// Whatever it holds, the outcome is a run with sound inputs, or help, or a
// refusal with status 2.

#include "options.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

/// Arguments taken at most; more only repeat what a shorter vector tries.
constexpr std::size_t most_arguments = 24;

void require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz_command_line: %s\n", what);
    std::abort();
}

std::vector<std::string> arguments_of(const std::string& input)
{
    std::vector<std::string> arguments{"plisse"};
    std::size_t start = 0;
    while (start <= input.size() && arguments.size() < most_arguments) {
        const std::size_t end = std::min(input.find('\n', start), input.size());
        arguments.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    // The checks of the output folder and of the results file probe the file
    // system; a path that leaves the working folder is not tried.
    if (input.find('/') != std::string::npos) return 0;
    const std::vector<std::string> arguments = arguments_of(input);
    std::vector<const char*> argv;
    for (const std::string& a : arguments) argv.push_back(a.c_str());
    argv.push_back(nullptr);

    run_options options;
    const command_line_outcome outcome = read_command_line(static_cast<int>(arguments.size()), argv.data(), options);
    if (!outcome.run) {
        require(outcome.exit_status == 0 || outcome.exit_status == bad_input_status, "an unexpected exit status");
        return 0;
    }
    // A run that starts has inputs the analysis can handle.
    require(input_problem(options).empty(), "a run starts with a problem in its inputs");
    require(options.resolution >= 1, "a run starts with a resolution below 1");
    for (const auto& [lo, hi] : {options.x_range, options.y_range}) {
        require(std::isfinite(lo) && std::isfinite(hi) && lo < hi, "a run starts with a bad box side");
    }
    const analysis_input analysed = analysis_input_of(options);
    require(!analysed.first_component.empty() && !analysed.second_component.empty(), "a run starts without a component");
    return 0;
}
