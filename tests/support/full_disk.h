#pragma once

// A disk that fills up, made for one call: no file may grow past `bytes`, so
// a write beyond that is refused with the system's "File too large" (the
// signal that would end the process is ignored meanwhile).

#include <csignal>
#include <sys/resource.h>

namespace zemble::test {

template <class Work> auto with_file_size_limit(rlim_t bytes, Work work) {
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small{bytes, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    struct Restore {
        rlimit limit;
        decltype(handler) previous;
        ~Restore() {
            setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, previous);
        }
    } restore{saved, handler};
    return work();
}

} // namespace zemble::test
