#pragma once
// Child processes for the driver tests: started in their own working folder
// with their own environment and output files, waited for with a time limit,
// and killed when the test that started them ends.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

struct process_options {
    std::vector<std::string> command;
    /// Working folder of the child (the test's own when empty).
    std::string directory;
    /// Files receiving standard output and standard error (/dev/null when empty).
    std::string output;
    std::string error;
    std::vector<std::pair<std::string, std::string>> set_environment;
    std::vector<std::string> unset_environment;
    /// A descriptor handed to the child as its descriptor 3 (none when negative).
    int descriptor_3 = -1;
};

class child_process {
public:
    explicit child_process(const process_options& options)
    {
        pid_ = fork();
        if (pid_ == 0)
            become(options);
    }
    /// Asks a child still running to end (so that a display server removes
    /// its socket and lock), and kills it when it does not within two seconds.
    ~child_process()
    {
        if (!running())
            return;
        kill(pid_, SIGTERM);
        if (!wait_for(std::chrono::seconds(2)))
            kill(pid_, SIGKILL);
        wait_for(std::chrono::seconds(2));
    }
    child_process(const child_process&) = delete;
    child_process& operator=(const child_process&) = delete;

    bool started() const { return pid_ > 0; }

    /// Sends the signal to the child while it runs.
    void send(int signal)
    {
        if (running())
            kill(pid_, signal);
    }

    /// Whether the child has not ended yet (reaping it when it has).
    bool running()
    {
        if (status_ || pid_ <= 0)
            return false;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) != pid_)
            return true;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
        return false;
    }

    /// The exit status once the child has ended within the time limit
    /// (minus the signal number when a signal ended it); nothing when it still runs.
    std::optional<int> wait_for(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (running() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return status_;
    }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;

    /// In the forked child: redirections, environment, then the command.
    [[noreturn]] static void become(const process_options& options)
    {
        if (!options.directory.empty() && chdir(options.directory.c_str()) != 0)
            _exit(126);
        redirect(STDIN_FILENO, "", O_RDONLY);
        redirect(STDOUT_FILENO, options.output, O_WRONLY | O_CREAT | O_TRUNC);
        redirect(STDERR_FILENO, options.error, O_WRONLY | O_CREAT | O_TRUNC);
        if (options.descriptor_3 >= 0 && dup2(options.descriptor_3, 3) < 0)
            _exit(126);
        for (const auto& [name, value] : options.set_environment)
            setenv(name.c_str(), value.c_str(), 1);
        for (const std::string& name : options.unset_environment)
            unsetenv(name.c_str());
        // A session of its own: the child cannot reach the test's terminal.
        setsid();
        std::vector<char*> argv;
        for (const std::string& a : options.command)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }

    static void redirect(int fd, const std::string& file, int flags)
    {
        const int opened = open(file.empty() ? "/dev/null" : file.c_str(), flags, 0644);
        if (opened < 0 || dup2(opened, fd) < 0)
            _exit(126);
        close(opened);
    }
};

/// Standard output of a shell command (binary-safe).
inline std::string command_output(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return out;
    char buffer[65536];
    std::size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    pclose(pipe);
    return out;
}

inline std::string file_contents(const std::filesystem::path& file)
{
    std::ifstream is(file, std::ios::binary);
    std::ostringstream contents;
    contents << is.rdbuf();
    return contents.str();
}

inline std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream is(text);
    std::string line;
    while (std::getline(is, line))
        lines.push_back(line);
    return lines;
}

/// A fresh empty folder for one test, removed with everything in it at the end.
class scratch_folder {
public:
    scratch_folder()
    {
        std::string pattern = ::testing::TempDir() + "plisse_driver_XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~scratch_folder()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

/// What a run of the program left: its exit status (nothing when it did not
/// end within the time limit) and what it wrote on its two streams.
struct program_run {
    std::optional<int> status;
    std::string out;
    std::string err;
};

/// Runs the program with arguments in folder, with the environment changes of
/// settings; its streams go to the files settings names, by default stdout.txt
/// and stderr.txt in folder.
inline program_run run_program(const std::filesystem::path& folder, const std::vector<std::string>& arguments,
                               process_options settings = {},
                               std::chrono::milliseconds limit = std::chrono::seconds(120))
{
    settings.command = {PLISSE_EXECUTABLE};
    settings.command.insert(settings.command.end(), arguments.begin(), arguments.end());
    settings.directory = folder.string();
    if (settings.output.empty())
        settings.output = (folder / "stdout.txt").string();
    if (settings.error.empty())
        settings.error = (folder / "stderr.txt").string();
    child_process program(settings);
    program_run r;
    r.status = program.wait_for(limit);
    r.out = file_contents(settings.output);
    r.err = file_contents(settings.error);
    return r;
}

/// The error stream of a run split at the summary that ends it: the lines
/// before it, and the summary's lines (empty when there is none).
struct error_stream {
    std::vector<std::string> notes;
    std::vector<std::string> summary;
};

inline error_stream split_summary(const std::string& err)
{
    error_stream split;
    bool in_summary = false;
    for (const std::string& line : lines_of(err)) {
        in_summary = in_summary || line == "plisse: summary";
        (in_summary ? split.summary : split.notes).push_back(line);
    }
    return split;
}
