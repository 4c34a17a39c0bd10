// The reference count of an object the layer hands out as a COM interface: the last Release
// deletes it. Counts are atomic, since sound objects are also released off the main thread.
#pragma once

#include <atomic>

#include "platform/win32/types.h"

namespace platform {

template <class Interface>
class ComObject : public Interface {
public:
    HRESULT QueryInterface(REFIID, void** object) override
    {
        if (object != nullptr) {
            *object = nullptr;
        }
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        const ULONG left = --refs_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

protected:
    std::atomic<ULONG> refs_{1};
};

}  // namespace platform
