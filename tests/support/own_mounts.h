// Checks that need mounts of their own (a file or folder bind-mounted over
// another, as a container's volume is), made as root in a child process that
// has a mount namespace of its own, so that the test's own mounts never
// change and the mounts go when the child ends.
#pragma once

#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <exception>
#include <functional>
#include <string>

namespace testsupport {

// Thrown by the work of a child when this machine cannot do what it needs
// (a bind mount refused): the test is skipped, naming Why.
struct ChildSkip {
    std::string Why;
};

// What a child's checks came to.
struct ChildOutcome {
    bool Skipped = false;
    std::string Why;       // why it was skipped
    std::string Failures;  // the checks that failed, one a line; empty when all held
};

// The checks of a child, gathered to be reported by the parent.
struct ChildChecks {
    std::string Failures;
    void Check(bool Holds, const std::string& What) {
        if (!Holds) Failures += What + "\n";
    }
};

// Bind-mounts From over To (a file over a file, a folder over a folder).
inline void BindMount(const std::string& From, const std::string& To) {
    if (::mount(From.c_str(), To.c_str(), nullptr, MS_BIND, nullptr) != 0)
        throw ChildSkip{"no bind mount here (" + std::string(std::strerror(errno)) + ")"};
}

// Runs Work in a forked child whose mounts are private to it; Work returns
// the checks that failed ("" when all held). Skipped when the process is not
// root or may not have mounts of its own (a container without
// CAP_SYS_ADMIN). A child that has not ended within TimeoutSeconds is killed
// and counts as failed, so no test waits on it for ever.
inline ChildOutcome InOwnMountNamespace(const std::function<std::string()>& Work,
                                        int TimeoutSeconds = 120) {
    ChildOutcome outcome;
    if (::geteuid() != 0) {
        outcome.Skipped = true;
        outcome.Why = "mounts need root";
        return outcome;
    }
    int ends[2];
    if (::pipe(ends) != 0) {
        outcome.Failures = "no pipe for the child's report";
        return outcome;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        std::string report;
        int status = 0;
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            report =
                "no mount namespace of its own here (" + std::string(std::strerror(errno)) + ")";
            status = 77;
        } else {
            try {
                report = Work();
                status = report.empty() ? 0 : 1;
            } catch (const ChildSkip& s) {
                report = s.Why;
                status = 77;
            } catch (const std::exception& e) {
                report = std::string("the child's work threw: ") + e.what();
                status = 1;
            }
        }
        for (std::size_t at = 0; at < report.size();) {
            const ssize_t n = ::write(ends[1], report.data() + at, report.size() - at);
            if (n <= 0) break;
            at += static_cast<std::size_t>(n);
        }
        ::_exit(status);  // no destructors or exit handlers of the parent's
    }
    ::close(ends[1]);
    if (child < 0) {
        ::close(ends[0]);
        outcome.Failures = "no child process";
        return outcome;
    }
    std::string report;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(TimeoutSeconds);
    bool timedOut = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd p = {ends[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        char buf[4096];
        const ssize_t n = ::read(ends[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // the child has ended (or closed its end)
        report.append(buf, static_cast<std::size_t>(n));
    }
    ::close(ends[0]);
    if (timedOut) ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (timedOut) {
        outcome.Failures = "the child had not ended after " + std::to_string(TimeoutSeconds) +
                           " s and was killed\n" + report;
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == 77) {
        outcome.Skipped = true;
        outcome.Why = report;
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        outcome.Failures = (WIFSIGNALED(status) ? "the child was ended by signal " +
                                                      std::to_string(WTERMSIG(status)) + "\n"
                                                : std::string()) +
                           report;
        if (outcome.Failures.empty()) outcome.Failures = "the child failed without a word";
    }
    return outcome;
}

}  // namespace testsupport
