#include "common/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <poll.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define ZEVA_CHILD_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZEVA_CHILD_UNDER_ASAN 1
#endif
#endif

namespace zeva {

namespace {

// Resident size of a running process, from /proc; 0 when it cannot be read.
std::size_t ResidentBytes(pid_t pid) {
    std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
    std::size_t pages = 0, resident = 0;
    if (!(statm >> pages >> resident)) return 0;
    return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

std::string LastLine(const std::string& text) {
    std::size_t end = text.find_last_not_of("\r\n \t");
    if (end == std::string::npos) return {};
    std::size_t start = text.find_last_of('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1,
                       end + 1 - (start == std::string::npos ? 0 : start + 1));
}

// The child between vfork and exec: its standard error goes into errPipe, nothing else of the
// station's stays open, and it gets no core file and the memory bound. execPipe carries errno back
// when exec fails.
[[noreturn]] void ExecChild(const std::vector<char*>& args, const int (&errPipe)[2], const int (&execPipe)[2],
                            [[maybe_unused]] const ChildLimits& limits) {
    // The child: only async-signal-safe calls until exec.
    ::dup2(errPipe[1], STDERR_FILENO);
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
    }
    // The station's sockets and files stay with it; the exec pipe closes itself at exec.
    const unsigned keep = static_cast<unsigned>(execPipe[1]);
    if (keep > 3) ::syscall(SYS_close_range, 3U, keep - 1, 0U);
    ::syscall(SYS_close_range, keep + 1, ~0U, 0U);
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
#ifndef ZEVA_CHILD_UNDER_ASAN
    // AddressSanitizer reserves far more address space than this; there WatchChild's watch of the
    // resident size is the bound.
    const rlimit space{limits.MemoryBytes, limits.MemoryBytes};
    ::setrlimit(RLIMIT_AS, &space);
#endif
    ::execv(args[0], args.data());
    const int error = errno;
    [[maybe_unused]] auto n = ::write(execPipe[1], &error, sizeof error);
    ::_exit(127);
}

// True when the child could not exec: then it is reaped and result says why.
bool ExecFailed(pid_t pid, const std::vector<std::string>& argv, const int (&errPipe)[2],
                const int (&execPipe)[2], ChildResult& result) {
    int execError = 0;
    ssize_t got = 0;
    do {
        got = ::read(execPipe[0], &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    ::close(execPipe[0]);
    if (got == static_cast<ssize_t>(sizeof execError)) {
        ::waitpid(pid, nullptr, 0);
        ::close(errPipe[0]);
        result.Errors = argv[0] + ": " + std::strerror(execError);
        return true;
    }
    return false;
}

// Gathers the child's standard error (up to MaxErrorBytes) until it ends, and stops it when it runs
// too long or grows too large; result tells how it ended.
void WatchChild(pid_t pid, const int (&errPipe)[2], const ChildLimits& limits, ChildResult& result) {
    const auto start = std::chrono::steady_clock::now();
    auto drain = [&] {
        char buffer[1024];
        for (;;) {
            const ssize_t n = ::read(errPipe[0], buffer, sizeof buffer);
            if (n <= 0) return n == 0;
            const std::size_t kept = std::min(limits.MaxErrorBytes, result.Errors.size());
            result.Errors.append(buffer, std::min(limits.MaxErrorBytes - kept, static_cast<std::size_t>(n)));
        }
    };
    ::fcntl(errPipe[0], F_SETFL, O_NONBLOCK);
    int status = 0;
    bool errorsOpen = true;
    for (;;) {
        if (errorsOpen) {
            pollfd p{errPipe[0], POLLIN, 0};
            ::poll(&p, 1, 5);
            errorsOpen = !drain();
        } else {
            ::usleep(5000);
        }
        if (::waitpid(pid, &status, WNOHANG) == pid) break;
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        const bool late = elapsed.count() > limits.TimeoutMs;
        if (late || ResidentBytes(pid) > limits.MemoryBytes) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            ::close(errPipe[0]);
            result.How = late ? ChildResult::Outcome::TimedOut : ChildResult::Outcome::OutOfMemory;
            return;
        }
    }
    if (errorsOpen) drain();
    ::close(errPipe[0]);
    if (WIFEXITED(status)) {
        result.How = ChildResult::Outcome::Exited;
        result.Status = WEXITSTATUS(status);
    } else {
        result.How = ChildResult::Outcome::Signalled;
        result.Status = WIFSIGNALED(status) ? WTERMSIG(status) : -1;
    }
}

} // namespace

std::string ChildResult::Describe(const std::string& program) const {
    const std::string said = LastLine(Errors);
    switch (How) {
    case Outcome::NotStarted:
        return "cannot start " + program + (said.empty() ? "" : ": " + said);
    case Outcome::TimedOut:
        return program + " did not finish in time and was stopped";
    case Outcome::OutOfMemory:
        return program + " used more memory than allowed and was stopped";
    case Outcome::Signalled:
        return program + " ended abnormally (signal " + std::to_string(Status) + ")" +
               (said.empty() ? "" : ": " + said);
    case Outcome::Exited:
        break;
    }
    if (Status == 0) return program + " finished";
    return said.empty() ? program + " failed (exit status " + std::to_string(Status) + ")" : said;
}

ChildResult RunChild(const std::vector<std::string>& argv, const ChildLimits& limits) {
    ChildResult result;
    if (argv.empty()) return result;
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    // errPipe carries the child's standard error; execPipe closes at a successful exec and carries
    // errno when exec fails.
    int errPipe[2], execPipe[2];
    if (::pipe2(errPipe, O_CLOEXEC) != 0) {
        result.Errors = std::strerror(errno);
        return result;
    }
    if (::pipe2(execPipe, O_CLOEXEC) != 0) {
        result.Errors = std::strerror(errno);
        ::close(errPipe[0]);
        ::close(errPipe[1]);
        return result;
    }
    // vfork, not fork: copying the page tables of a large station (or of a sanitized test) costs
    // tens of milliseconds; the child only sets its bounds and execs, as posix_spawn does.
    const pid_t pid = ::vfork();
    if (pid == 0) ExecChild(args, errPipe, execPipe, limits);
    ::close(errPipe[1]);
    ::close(execPipe[1]);
    if (pid < 0) {
        result.Errors = std::strerror(errno);
        ::close(errPipe[0]);
        ::close(execPipe[0]);
        return result;
    }
    if (ExecFailed(pid, argv, errPipe, execPipe, result)) return result;
    WatchChild(pid, errPipe, limits, result);
    return result;
}

std::string FindHelperProgram(const std::string& name) {
    namespace fs = std::filesystem;
    std::error_code ec;
    auto runnable = [](const fs::path& p) { return ::access(p.c_str(), X_OK) == 0 && !fs::is_directory(p); };
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && runnable(self.parent_path() / name)) return (self.parent_path() / name).string();
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    for (std::size_t at = 0; at <= dirs.size();) {
        std::size_t end = dirs.find(':', at);
        if (end == std::string::npos) end = dirs.size();
        const fs::path dir = dirs.substr(at, end - at);
        if (!dir.empty() && runnable(dir / name)) return (dir / name).string();
        at = end + 1;
    }
    return {};
}

} // namespace zeva
