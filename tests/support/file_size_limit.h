// A file size limit of zero while the object lives, as on a full disk: every write that would
// grow a file fails (EFBIG) instead of a signal ending the process. The limit binds the
// superuser too, and a child process started meanwhile inherits it. POSIX only.
#pragma once

#include <csignal>
#include <sys/resource.h>

class NoRoomForFiles {
public:
    NoRoomForFiles() : m_handler(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit none = m_old;
        none.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &none);
    }
    ~NoRoomForFiles() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    NoRoomForFiles(const NoRoomForFiles&) = delete;
    NoRoomForFiles& operator=(const NoRoomForFiles&) = delete;

private:
    rlimit m_old{};
    void (*m_handler)(int);
};
