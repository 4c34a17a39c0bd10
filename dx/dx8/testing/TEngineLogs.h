// Recordings of the engine's 2D draws and sound-bank calls, for tests: install a vector and every
// later call is appended to it (null stops recording). Only tests install them; the game never does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/types.h"

struct TSpriteDrawRecord {
    enum Kind : std::uint8_t { kDraw, kRect, kTransformed };
    Kind kind = kDraw;
    std::string texture;  // the texture's key; empty for a plain rectangle
    float x = 0.0F, y = 0.0F, w = 0.0F, h = 0.0F;  // as given (virtual screen unless unscaled)
    DWORD colors[4] = {};                          // corner diffuse colours, top-left first
    int mode = -1;                                 // the screen mode last applied
};

void SetSpriteDrawLog(std::vector<TSpriteDrawRecord>* log);

struct TSoundBankRecord {
    enum Op : std::uint8_t { kLoad, kUnload, kPlay, kPlayLoop, kStop };
    Op op = kPlay;
    std::uint32_t bank = 0;
    std::uint32_t id = 0;

    bool operator==(const TSoundBankRecord&) const = default;
};

void SetSoundBankLog(std::vector<TSoundBankRecord>* log);
