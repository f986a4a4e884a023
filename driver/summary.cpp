#include "summary.hpp"

#include "counts.hpp"
#include "interval_text.hpp"

#include <iomanip>
#include <sstream>

namespace {

std::string count_text(const result_count& c)
{
    if (c.complete()) return std::to_string(c.count) + ", complete";
    return "at least " + std::to_string(c.count) + ", " + std::to_string(c.undecided) + " candidates undecided";
}

std::string stability_text(const stability_verdict& s)
{
    if (!s.stable) return "undecided: " + s.reason;
    return *s.stable ? "yes, proved" : "no: " + s.reason;
}

/// (a, b) for the point c.target.
std::string point_text(const domain& target)
{
    std::ostringstream text;
    text << "(" << target.get("y0").inf() << ", " << target.get("y1").inf() << ")";
    return text.str();
}

}  // namespace

void write_summary(std::ostream& os, const analysis_input& input, const analysis_run& run,
                   const std::vector<std::string>& files)
{
    const plisse& p = run.analysis;
    auto row = [&os](const std::string& label) -> std::ostream& {
        return os << "  " << std::left << std::setw(30) << label;
    };
    os << summary_heading << "\n";
    row("map") << "f1 = " << input.first_component << ", f2 = " << input.second_component << "\n";
    row("box") << "x in " << interval_text(input.box.get("x")) << ", y in " << interval_text(input.box.get("y")) << "\n";
    row("resolution") << input.resolution << " x " << input.resolution << " cells\n";
    for (const result_count& c : result_counts(p)) row(c.shown) << count_text(c) << "\n";
    row("fold curve") << (p.fold_curve_known ? "its topology is known" : "its topology is not established") << "\n";
    row("stable") << stability_text(run.stability) << "\n";
    for (const preimage_count& c : run.preimages) {
        row("preimages of " + point_text(c.target)) << (c.count ? std::to_string(*c.count) : "undecided: " + c.reason)
                                                     << "\n";
    }
    row("files written");
    for (std::size_t i = 0; i < files.size(); ++i) os << (i ? ", " : "") << files[i];
    os << (files.empty() ? "none\n" : "\n") << std::flush;
}
