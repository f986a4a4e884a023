#pragma once
// Stand-alone LaTeX documents with a pstricks picture.

#include <string>

class out_latex {
public:
    std::string file_name;

    /// Creates or truncates file_name with the preamble and picture frame; false on failure.
    bool initialise() const;
    /// Appends the end of the picture and of the document; false on failure.
    bool fin() const;
};
