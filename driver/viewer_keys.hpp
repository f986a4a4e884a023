#pragma once
// The keys of the viewer, as its help and the program's --help list them.

#include <string>

/// One line per key or mouse action: the key, then what it does.
inline const char* const viewer_keys[] = {
    "  s / t        the mouse acts on the source / the target plane",
    "  wheel, drag  zoom, move the active plane",
    "  i            marker mode: the wheel changes the size of the cusp and fold-boundary markers",
    "  c            show the cells whose images may meet the pointed cell's image (yellow)",
    "  f            show the cells whose images may meet the images of singular cells (orange)",
    "  h            frame both planes on their content",
    "  ?            show or hide the help: keys, colours, the pointed cell",
    "  Escape       quit",
};

/// The keys as one text, a line each (no line end after the last).
inline std::string viewer_keys_text()
{
    std::string text;
    for (const char* line : viewer_keys) text += (text.empty() ? "" : "\n") + std::string(line);
    return text;
}
