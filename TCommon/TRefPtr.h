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
    CountedPtr(T* p = nullptr) : owned_(new std::uint8_t(p != nullptr ? 1 : 0)), count_(new std::uint32_t(1)), p_(p) {}

    CountedPtr(const CountedPtr& o) : owned_(o.owned_), count_(o.count_), p_(o.p_)
    {
        if (count_ != nullptr) {
            ++*count_;
        }
    }

    ~CountedPtr() { Release(); }

    CountedPtr& operator=(const CountedPtr& o)
    {
        // Two holders of one object are never re-linked, even with different cells.
        if (&o == this || o.p_ == p_) {
            return *this;
        }
        Release();
        owned_ = o.owned_;
        count_ = o.count_;
        p_ = o.p_;
        if (count_ != nullptr) {
            ++*count_;
        }
        return *this;
    }

    // Gives up this holder's share. The last share deletes an owned object and frees the
    // cells. A holder lets go of its cells either way, so a later Release (the destructor's)
    // cannot take a second share from the others; a non-owning holder keeps its p.
    void Release()
    {
        if (count_ == nullptr) {
            return;
        }
        if (--*count_ == 0) {
            if (*owned_ == 1 && p_ != nullptr) {
                Freer::Free(p_);
                p_ = nullptr;
            }
            delete count_;
            delete owned_;
        }
        count_ = nullptr;
        owned_ = nullptr;
    }

    // After its owner deleted the object early: this holder forgets it, and no copy deletes it.
    void ClearOwned()
    {
        if (owned_ != nullptr) {
            *owned_ = 0;
        }
        p_ = nullptr;
    }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }

    // Holders sharing this one's cells, this one included; 0 once released.
    std::uint32_t UseCount() const { return count_ != nullptr ? *count_ : 0; }
    bool IsOwned() const { return owned_ != nullptr && *owned_ == 1; }

private:
    std::uint8_t* owned_;
    std::uint32_t* count_;
    T* p_;
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
