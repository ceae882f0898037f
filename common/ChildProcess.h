#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace zeva {

// Runs a helper program to its end within bounds, so a helper that crashes, hangs or grows without
// end takes only itself down. Plain POSIX (vfork and exec), no Qt: the model library starts its
// readers with it. The caller waits: meant for helpers that finish in moments (reading a file).
struct ChildLimits {
    int TimeoutMs = 10000;                            // killed after this long
    std::size_t MemoryBytes = std::size_t(512) << 20; // address space, and resident size, at most
    std::size_t MaxErrorBytes = 4096;                 // what is kept of its standard error
};

struct ChildResult {
    enum class Outcome { Exited, Signalled, TimedOut, OutOfMemory, NotStarted };
    Outcome How = Outcome::NotStarted;
    int Status = -1;    // exit status, or the signal that ended it
    std::string Errors; // its standard error, cut at MaxErrorBytes
    bool Succeeded() const { return How == Outcome::Exited && Status == 0; }
    // One line for a person: what happened, with the helper's own last words when it had any.
    std::string Describe(const std::string& program) const;
};

// argv[0] is the program's path (not searched on PATH). Standard output is discarded.
ChildResult RunChild(const std::vector<std::string>& argv, const ChildLimits& limits = {});

// The program's full name: in the folder of the running executable first, then on PATH; empty
// when neither has it.
std::string FindHelperProgram(const std::string& name);

} // namespace zeva
