// Runs a piece of work in a child process, prepared in a way the test process
// itself must not be: with a limit on the size its files may grow to
// (RLIMIT_FSIZE, as on a full disk or under a quota, so writes fail part-way),
// or as an ordinary user where the tests run as the administrator (who reads
// and writes every file). The child's answer comes back as text; a child that
// died answers "killed by signal N".
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace burnmark::testing {

inline std::string InChildProcess(const std::function<bool()>& prepare,
                                  const std::function<std::string()>& work) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child < 0) return "no fork";
    if (child == 0) {
        ::close(pipeFds[0]);
        const std::string answer = prepare() ? work() : "not prepared";
        const char* p = answer.data();
        std::size_t left = answer.size();
        while (left > 0) {
            const ssize_t n = ::write(pipeFds[1], p, left);
            if (n <= 0) break;
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string answer;
    char chunk[512];
    for (ssize_t n; (n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0;)
        answer.append(chunk, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
    return answer;
}

// Files may not grow beyond limit bytes.
inline std::string WithFileSizeLimit(rlim_t limit, const std::function<std::string()>& work) {
    return InChildProcess(
        [limit] {
            const rlimit rl{limit, limit};
            return ::setrlimit(RLIMIT_FSIZE, &rl) == 0;
        },
        work);
}

// As the user "nobody" when the tests run as the administrator; else as is.
inline std::string AsOrdinaryUser(const std::function<std::string()>& work) {
    if (::geteuid() != 0) return work();
    return InChildProcess([] { return ::setgid(65534) == 0 && ::setuid(65534) == 0; }, work);
}

}  // namespace burnmark::testing
