// A pool of ids: counting up from the first id given, wrapping past the top of the counter's range,
// never handing out an id in use. Searched linearly: a pool holds few ids at a time.
#pragma once

#include <algorithm>
#include <list>

template <typename Id>
class TIdPool {
public:
    explicit TIdPool(Id first = 0) : m_next(first) {}

    Id Allocate()
    {
        Id candidate = 0;
        do {
            candidate = m_next++;
        } while (std::find(m_inUse.begin(), m_inUse.end(), candidate) != m_inUse.end());
        m_inUse.push_back(candidate);
        return candidate;
    }
    // An id that is not in use changes nothing.
    void Release(Id id)
    {
        const auto it = std::find(m_inUse.begin(), m_inUse.end(), id);
        if (it != m_inUse.end()) {
            m_inUse.erase(it);
        }
    }

private:
    std::list<Id> m_inUse;
    Id m_next;
};
