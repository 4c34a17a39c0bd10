// What the sound banks are asked to do, for screen tests: an installed observer hears every load,
// unload, play and stop by bank and sound id, whether or not the id has a sound. Only tests install
// one; in play it is null.
#pragma once

#include <cstdint>

class TSoundBankObserver {
public:
    virtual ~TSoundBankObserver() = default;

    virtual void OnLoad(std::uint32_t bank, std::uint32_t id) = 0;
    virtual void OnUnload(std::uint32_t bank, std::uint32_t id) = 0;
    virtual void OnPlay(std::uint32_t bank, std::uint32_t id) = 0;
    virtual void OnPlayLoop(std::uint32_t bank, std::uint32_t id) = 0;
    virtual void OnStop(std::uint32_t bank, std::uint32_t id) = 0;
};

// Null stops observing.
void SetSoundBankObserver(TSoundBankObserver* observer);
