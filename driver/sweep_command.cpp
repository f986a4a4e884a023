// "plisse sweep": the interpreter takes the process over, so that the sweep
// gets the terminal's signals (Ctrl-C) and its exit status is the command's.

#include "sweep_command.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

int sweep_command(int argc, char** argv)
{
#if defined(PLISSE_PYTHON) && defined(PLISSE_PYTHON_DIR)
    const char* kept = std::getenv("PYTHONPATH");
    const std::string path = std::string(PLISSE_PYTHON_DIR) + (kept && *kept ? ":" + std::string(kept) : "");
    setenv("PYTHONPATH", path.c_str(), 1);
    std::vector<char*> arguments{const_cast<char*>(PLISSE_PYTHON), const_cast<char*>("-m"),
                                 const_cast<char*>("plisse")};
    arguments.insert(arguments.end(), argv, argv + argc);
    arguments.push_back(nullptr);
    execv(PLISSE_PYTHON, arguments.data());
    std::cerr << "plisse sweep: cannot run " << PLISSE_PYTHON << " (" << std::strerror(errno) << ")" << std::endl;
    return 1;
#else
    (void)argc;
    (void)argv;
    std::cerr << "plisse sweep: this build has no Python package (configure with -DPLISSE_BUILD_PYTHON=ON)"
              << std::endl;
    return 2;
#endif
}
