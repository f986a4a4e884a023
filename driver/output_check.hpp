#pragma once
// Whether the program's output files can be written, found out before the
// analysis runs: by trying, since permissions alone do not tell (a root
// process may write anywhere the permissions allow, yet not into /proc or a
// read-only file system).

#include <string>

/// What keeps file from being written, "" when nothing does: it is a folder,
/// it cannot be opened for writing, or its nearest existing ancestor is not a
/// folder in which a file can be created (missing folders are made when the
/// file is written). Nothing is left behind.
std::string output_file_problem(const std::string& file);

/// The same for a folder that receives files: it is not a folder, or no file
/// can be created in it (or in its nearest existing ancestor, when missing).
std::string output_folder_problem(const std::string& folder);
