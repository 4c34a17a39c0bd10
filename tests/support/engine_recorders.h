// The engine's observers as screen tests use them: every 2D draw and every sound-bank call written
// down in order while recording, with the screen mode in force at each draw.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "dx/dx8/testing/TSoundBankObserver.h"
#include "dx/dx8/testing/TSpriteObserver.h"
#include "dx/dx8/testing/TTextureCacheObserver.h"
#include "platform/win32/types.h"

struct TSpriteDrawRecord {
    enum Kind : std::uint8_t { kDraw, kRect, kTransformed };
    Kind kind = kDraw;
    std::string texture;  // the texture's key; empty for a plain rectangle
    float x = 0.0F, y = 0.0F, w = 0.0F, h = 0.0F;  // as given (virtual screen unless unscaled)
    DWORD colors[4] = {};                          // corner diffuse colours, top-left first
    float u0 = 0.0F, v0 = 0.0F, u1 = 0.0F, v1 = 0.0F;  // texture coordinates, top-left and bottom-right
    int mode = -1;                                 // the screen mode last applied
};

struct TSoundBankRecord {
    enum Op : std::uint8_t { kLoad, kUnload, kPlay, kPlayLoop, kStop };
    Op op = kPlay;
    std::uint32_t bank = 0;
    std::uint32_t id = 0;

    bool operator==(const TSoundBankRecord&) const = default;
};

namespace qmtest {

// Installed for its whole life, so that the screen mode is known from the device's first one;
// draws are written only while recording.
class SpriteDrawRecorder : public TSpriteObserver {
public:
    explicit SpriteDrawRecorder(std::vector<TSpriteDrawRecord>* out);
    ~SpriteDrawRecorder() override;
    SpriteDrawRecorder(const SpriteDrawRecorder&) = delete;
    SpriteDrawRecorder& operator=(const SpriteDrawRecorder&) = delete;

    void Record(bool on) { recording_ = on; }

    void OnRenderMode(int mode) override { mode_ = mode; }
    void OnDraw(const TSprite& sprite, float x, float y, float w, float h, bool unscaled) override;
    void OnDrawRect(const TSprite& sprite, float x, float y, float w, float h, bool unscaled) override;
    void OnDrawTransformed(const TSprite& sprite, float x, float y, float w, float h, const D3DMATRIX* m,
                           bool unscaled) override;

private:
    void Add(TSpriteDrawRecord::Kind kind, const TSprite& sprite, float x, float y, float w, float h);

    std::vector<TSpriteDrawRecord>* out_;
    bool recording_ = false;
    int mode_ = -1;
};

// Also keeps, recording or not, each bank's uses as the banks count them (a load adds one, an unload
// takes one while any is left), from its installation on.
class SoundBankRecorder : public TSoundBankObserver {
public:
    explicit SoundBankRecorder(std::vector<TSoundBankRecord>* out);
    ~SoundBankRecorder() override;
    SoundBankRecorder(const SoundBankRecorder&) = delete;
    SoundBankRecorder& operator=(const SoundBankRecorder&) = delete;

    void Record(bool on) { recording_ = on; }

    void OnLoad(std::uint32_t bank, std::uint32_t id) override;
    void OnUnload(std::uint32_t bank, std::uint32_t id) override;
    void OnPlay(std::uint32_t bank, std::uint32_t id) override { Add(TSoundBankRecord::kPlay, bank, id); }
    void OnPlayLoop(std::uint32_t bank, std::uint32_t id) override { Add(TSoundBankRecord::kPlayLoop, bank, id); }
    void OnStop(std::uint32_t bank, std::uint32_t id) override { Add(TSoundBankRecord::kStop, bank, id); }

    // The bank's ids in use, with their counts, by id.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> Uses(std::uint32_t bank) const;

private:
    void Add(TSoundBankRecord::Op op, std::uint32_t bank, std::uint32_t id);

    std::vector<TSoundBankRecord>* out_;
    bool recording_ = false;
    std::map<std::uint32_t, std::map<std::uint32_t, std::uint32_t>> uses_;
};

// The texture cache's names in the order they came, as far as it saw them from its installation on.
class TextureCacheRecorder : public TTextureCacheObserver {
public:
    TextureCacheRecorder();
    ~TextureCacheRecorder() override;
    TextureCacheRecorder(const TextureCacheRecorder&) = delete;
    TextureCacheRecorder& operator=(const TextureCacheRecorder&) = delete;

    void OnCached(const void* entry, const std::string& name) override { entries_.emplace_back(entry, name); }
    void OnDropped(const void* entry) override;

    std::vector<std::string> Names() const;

private:
    std::vector<std::pair<const void*, std::string>> entries_;
};

// One line a draw: kind, texture key ("-" for none), rectangle, screen mode, corner colours.
std::string FormatDraws(const std::vector<TSpriteDrawRecord>& draws);

}  // namespace qmtest
