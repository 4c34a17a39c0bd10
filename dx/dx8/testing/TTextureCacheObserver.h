// What the texture cache holds, for whole-game tests: an installed observer hears every entry the
// cache takes and every one it lets go, by the entry's place (stable while cached). Only tests
// install one; in play it is null.
#pragma once

#include <string>

class TTextureCacheObserver {
public:
    virtual ~TTextureCacheObserver() = default;

    virtual void OnCached(const void* entry, const std::string& name) = 0;
    virtual void OnDropped(const void* entry) = 0;
};

// Null stops observing.
void SetTextureCacheObserver(TTextureCacheObserver* observer);
