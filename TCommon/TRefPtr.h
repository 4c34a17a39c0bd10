// Reference-counted holders: TRefPtr<T> (deletes), TRefPtr<T[]> (array delete) and
// TComPtr<T> (calls the interface's Release). The owned flag and the count live in two heap
// cells shared by all copies. Not thread-safe: holders stay on the main thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace trefptr_detail {

struct DeleteObject {
    template <typename T>
    static void Free(T* p) { delete p; }
};

struct DeleteArray {
    template <typename T>
    static void Free(T* p) { delete[] p; }
};

struct ReleaseInterface {
    template <typename T>
    static void Free(T* p) { p->Release(); }
};

template <typename T, typename Freer>
class CountedPtr {
public:
    // A null pointer still gets its cells: a count, and nothing to own.
    CountedPtr(T* p = nullptr) : m_owned(new std::uint8_t(p != nullptr ? 1 : 0)), m_count(new std::uint32_t(1)), m_p(p) {}

    CountedPtr(const CountedPtr& o) : m_owned(o.m_owned), m_count(o.m_count), m_p(o.m_p)
    {
        if (m_count != nullptr) {
            ++*m_count;
        }
    }

    ~CountedPtr() { Release(); }

    CountedPtr& operator=(const CountedPtr& o)
    {
        // Two holders of one object are never re-linked, even with different cells.
        if (&o == this || o.m_p == m_p) {
            return *this;
        }
        Release();
        m_owned = o.m_owned;
        m_count = o.m_count;
        m_p = o.m_p;
        if (m_count != nullptr) {
            ++*m_count;
        }
        return *this;
    }

    // Gives up this holder's share. The last share deletes an owned object and frees the
    // cells. A holder lets go of its cells either way, so a later Release (the destructor's)
    // cannot take a second share from the others; a non-owning holder keeps its p.
    void Release()
    {
        if (m_count == nullptr) {
            return;
        }
        if (--*m_count == 0) {
            if (*m_owned == 1 && m_p != nullptr) {
                Freer::Free(m_p);
                m_p = nullptr;
            }
            delete m_count;
            delete m_owned;
        }
        m_count = nullptr;
        m_owned = nullptr;
    }

    // After its owner deleted the object early: this holder forgets it, and no copy deletes it.
    void ClearOwned()
    {
        if (m_owned != nullptr) {
            *m_owned = 0;
        }
        m_p = nullptr;
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }

    // Holders sharing this one's cells, this one included; 0 once released.
    std::uint32_t UseCount() const { return m_count != nullptr ? *m_count : 0; }
    bool IsOwned() const { return m_owned != nullptr && *m_owned == 1; }

private:
    std::uint8_t* m_owned;
    std::uint32_t* m_count;
    T* m_p;
};

}  // namespace trefptr_detail

template <typename T>
class TRefPtr : public trefptr_detail::CountedPtr<T, trefptr_detail::DeleteObject> {
public:
    using trefptr_detail::CountedPtr<T, trefptr_detail::DeleteObject>::CountedPtr;
};

template <typename T>
class TRefPtr<T[]> : public trefptr_detail::CountedPtr<T, trefptr_detail::DeleteArray> {
public:
    using trefptr_detail::CountedPtr<T, trefptr_detail::DeleteArray>::CountedPtr;
    T& operator[](std::size_t i) const { return this->Get()[i]; }
};

template <typename T>
class TComPtr : public trefptr_detail::CountedPtr<T, trefptr_detail::ReleaseInterface> {
public:
    using trefptr_detail::CountedPtr<T, trefptr_detail::ReleaseInterface>::CountedPtr;
};
