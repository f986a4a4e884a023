#pragma once
// The keys of the viewer, as its help and the program's --help list them.

#include <algorithm>
#include <string>

/// One line of a two-column list: what is named, then what it means.
struct help_entry {
    const char* name;
    const char* meaning;
};

/// One entry per key or mouse action: the key, then what it does.
inline const help_entry viewer_keys[] = {
    {"s / t", "the mouse acts on the source / the target plane"},
    {"wheel, drag", "zoom, move the active plane"},
    {"i", "marker mode: the wheel changes the size of the cusp and fold-boundary markers"},
    {"c", "show the cells whose images may meet the pointed cell's image (yellow)"},
    {"f", "show the cells whose images may meet the images of singular cells (orange)"},
    {"h", "frame both planes on their content"},
    {"p", "write the window to window-N.png in the folder of the pictures"},
    {"?", "show or hide the help: keys, colours, the pointed cell"},
    {"Escape", "quit"},
};

/// The keys as one text, a line each, in two columns of fixed width (no line end after the last).
inline std::string viewer_keys_text()
{
    std::string text;
    for (const help_entry& key : viewer_keys) {
        std::string name = key.name;
        name.resize(std::max<std::size_t>(name.size(), 12), ' ');
        text += (text.empty() ? "  " : "\n  ") + name + " " + key.meaning;
    }
    return text;
}
