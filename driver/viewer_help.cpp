// The help the viewer shows over the planes: its keys, the meaning of the
// colours, and a status line.

#include "viewer.hpp"

#include "interval_text.hpp"
#include "overlay.hpp"
#include "viewer_keys.hpp"

namespace {

const help_entry colours[] = {
    {"grids", "from blue at the lower left corner of the box to red at the upper right;"},
    {"", "a point and its image have the same colour"},
    {"white", "cells the fold curve crosses"},
    {"cyan", "in the target, the image of the pointed cell"},
    {"red", "cusps (outlined in white)"},
    {"green to magenta", "where the fold curve meets the boundary, or its image crosses the boundary image"},
    {"magenta squares", "proved features: cusps, crossings and their images"},
};

/// A line of the help in two columns (the overlay aligns what follows the separator).
std::string two_columns(const help_entry& e) { return std::string("  ") + e.name + column_separator + e.meaning; }

}  // namespace

std::string viewer::status_line(const resultat& res) const
{
    std::string line = source_active ? "Source plane active" : "Target plane active";
    if (!res.source_mesh.holds(selected_box)) return line + ";  the cursor is outside the box";
    const domain& cell = res.source_mesh.boxes[selected_box];
    line += ";  cell " + std::to_string(selected_box) + ": x " + interval_text(cell.get("x")) + ", y " +
            interval_text(cell.get("y"));
    if (selected_box < static_cast<int>(res.images.size())) {
        const domain& image = res.images[selected_box];
        line += ",  image: " + interval_text(image.get("y0")) + " × " + interval_text(image.get("y1"));
    }
    return line;
}

std::vector<std::string> viewer::help_lines(const resultat& res) const
{
    std::vector<std::string> lines{"Keys"};
    for (const help_entry& key : viewer_keys) lines.push_back(two_columns(key));
    lines.push_back("Colours");
    for (const help_entry& colour : colours) lines.push_back(two_columns(colour));
    lines.push_back("");
    lines.push_back(status_line(res));
    return lines;
}
