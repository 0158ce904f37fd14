#include "ui/params.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace tessary::ui {

int RunProgramAndWait(const std::string& program, const std::vector<std::string>& args,
                      const std::string& folder) {
    std::vector<char*> argv;
    std::string name = program;
    argv.push_back(name.data());
    std::vector<std::string> copies(args);
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(127);
        // What the program prints must not mix with the caller's own output.
        ::dup2(STDERR_FILENO, STDOUT_FILENO);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace tessary::ui
