// A process out of file descriptors, for as long as the object lives: the soft limit is lowered to
// the lowest free descriptor, so every new open fails with "Too many open files" while those
// already open stay usable; the old limit comes back at the end.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace qmtest {

class NoFreeDescriptors {
public:
    NoFreeDescriptors()
    {
        m_held = getrlimit(RLIMIT_NOFILE, &m_saved) == 0;
        const int lowest = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (m_held && lowest >= 0) {
            ::close(lowest);
            rlimit none = m_saved;
            none.rlim_cur = static_cast<rlim_t>(lowest);
            m_held = setrlimit(RLIMIT_NOFILE, &none) == 0;
        } else {
            m_held = false;
        }
    }
    ~NoFreeDescriptors()
    {
        if (m_held) {
            setrlimit(RLIMIT_NOFILE, &m_saved);
        }
    }
    NoFreeDescriptors(const NoFreeDescriptors&) = delete;
    NoFreeDescriptors& operator=(const NoFreeDescriptors&) = delete;

    // Whether the limit was lowered (a test without it proves nothing).
    bool Held() const { return m_held; }

private:
    rlimit m_saved{};
    bool m_held = false;
};

}  // namespace qmtest
