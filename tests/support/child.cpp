// SPDX-License-Identifier: GPL-3.0-or-later
#include "child.h"

#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace krx::test {

ChildResult RunInChild(const std::function<void()>& body)
{
    std::fflush(nullptr);
    int fds[2];
    ChildResult r;
    if (pipe(fds) != 0)
        return r;
    const pid_t pid = fork();
    if (pid == 0) {
        // A child that hangs (a lock held by a thread the fork left behind) dies instead of
        // holding the test up until its time-out.
        alarm(kChildSeconds);
        close(fds[0]);
        dup2(fds[1], 2);
        body();
        std::fflush(nullptr);
        _exit(200);  // the body was expected to end the process itself
    }
    close(fds[1]);
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0)
        r.output.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    r.exited = WIFEXITED(wstatus);
    r.status = r.exited ? WEXITSTATUS(wstatus) : -1;
    r.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
    return r;
}

}  // namespace krx::test
