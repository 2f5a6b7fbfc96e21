// A write killed half-way, as a crash or a kill in the middle of a save
// leaves it: the action runs in a child process whose file size limit stops
// it with SIGXFSZ once it has written that many bytes.
#pragma once

#include <functional>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

// Answers whether the child died of the limit.
inline bool KilledByFileSizeLimit(rlim_t bytes, const std::function<void()>& action)
{
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        const rlimit noCore { 0, 0 };
        const rlimit small { bytes, bytes };
        setrlimit(RLIMIT_CORE, &noCore);
        setrlimit(RLIMIT_FSIZE, &small);
        action();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ;
}
