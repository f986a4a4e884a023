// Trying the output paths before the analysis: a probe file created and
// removed at once, or an existing file opened for writing without changing it.

#include "output_check.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

namespace fs = std::filesystem;

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

/// The reason of the last failed system call, for a message.
std::string reason() { return std::strerror(errno); }

/// "" when a file can be created in the existing folder, else why not.
std::string creation_problem(const fs::path& folder)
{
    std::string probe = (folder / ".plisse-probe-XXXXXX").string();
    const int descriptor = mkstemp(probe.data());
    if (descriptor < 0) return "no file can be created in " + quoted(folder.string()) + " (" + reason() + ")";
    close(descriptor);
    unlink(probe.c_str());
    return "";
}

/// The nearest ancestor of path that exists ("." for a relative path whose
/// first folder is missing), and whether it is a folder.
std::string problem_of_nearest_ancestor(const fs::path& path)
{
    std::error_code error;
    for (fs::path parent = path.parent_path();; parent = parent.parent_path()) {
        const fs::path folder = parent.empty() ? fs::path(".") : parent;
        const fs::file_status s = fs::status(folder, error);
        if (fs::exists(s)) {
            if (!fs::is_directory(s)) return quoted(folder.string()) + " is not a folder";
            return creation_problem(folder);
        }
        if (parent.empty() || parent == parent.parent_path()) return "";
    }
}

}  // namespace

std::string output_file_problem(const std::string& file)
{
    if (file.empty()) return "";
    const fs::path path(file);
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) return problem_of_nearest_ancestor(path);
    if (fs::is_directory(status)) return quoted(file) + " is a folder";
    const int descriptor = open(file.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY);
    if (descriptor < 0) return quoted(file) + " cannot be written (" + reason() + ")";
    close(descriptor);
    return "";
}

std::string output_folder_problem(const std::string& folder)
{
    const fs::path path(folder.empty() ? "." : folder);
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) return problem_of_nearest_ancestor(path / "file");
    if (!fs::is_directory(status)) return quoted(folder) + " is not a folder";
    return creation_problem(path);
}
