// tavelo-cli scan: runs the scanning program (tavelo-scan) with the same
// arguments and streams, and ends with its status.

#include <cerrno>
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

#include "base/helper_program.h"
#include "base/tr.h"
#include "book/file_io.h"
#include "cli/commands.h"

extern char** environ;

namespace tavelo::cli {

int RunScanProgram(const Args& args, Streams io)
{
    const std::string program = FindHelperProgram("tavelo-scan");
    if (program.empty()) {
        io.err << Tr("tavelo-cli", "Le programme de numérisation (tavelo-scan) est introuvable : Tavelo est mal installé.")
               << "\n";
        return 1;
    }
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    io.out.flush();
    io.err.flush();

    // Ctrl-C goes to the scanning program too, which then writes the pages
    // it has: this one waits for it rather than end first.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction oldInt {}, oldTerm {};
    ::sigaction(SIGINT, &ignore, &oldInt);
    ::sigaction(SIGTERM, &ignore, &oldTerm);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, program.c_str(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    int status = 0;
    if (spawned == 0)
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    ::sigaction(SIGINT, &oldInt, nullptr);
    ::sigaction(SIGTERM, &oldTerm, nullptr);
    if (spawned != 0) {
        io.err << Format(Tr("tavelo-cli", "Le programme de numérisation (%1) ne peut pas être lancé : %2"),
                         {program, DescribeError(spawned)})
               << "\n";
        return 1;
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 1;
}

} // namespace tavelo::cli
