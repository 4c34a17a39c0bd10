#include "support/engine_recorders.h"

#include <cstdio>

#include "dx/dx8/3d/TSprite.h"
#include "support/dx_probe.h"

namespace qmtest {

SpriteDrawRecorder::SpriteDrawRecorder(std::vector<TSpriteDrawRecord>* out) : out_(out)
{
    SetSpriteObserver(this);
}

SpriteDrawRecorder::~SpriteDrawRecorder()
{
    SetSpriteObserver(nullptr);
}

void SpriteDrawRecorder::OnDraw(const TSprite& sprite, float x, float y, float w, float h, bool)
{
    Add(TSpriteDrawRecord::kDraw, sprite, x, y, w, h);
}

void SpriteDrawRecorder::OnDrawRect(const TSprite& sprite, float x, float y, float w, float h, bool)
{
    Add(TSpriteDrawRecord::kRect, sprite, x, y, w, h);
}

void SpriteDrawRecorder::OnDrawTransformed(const TSprite& sprite, float x, float y, float w, float h,
                                           const D3DMATRIX*, bool)
{
    Add(TSpriteDrawRecord::kTransformed, sprite, x, y, w, h);
}

void SpriteDrawRecorder::Add(TSpriteDrawRecord::Kind kind, const TSprite& sprite, float x, float y, float w, float h)
{
    if (!recording_) {
        return;
    }
    TSpriteDrawRecord r;
    r.kind = kind;
    // A rectangle is drawn without its texture, whatever the sprite holds.
    r.texture = kind == TSpriteDrawRecord::kRect ? std::string() : TDxProbe::Image(sprite).GetName();
    r.x = x;
    r.y = y;
    r.w = w;
    r.h = h;
    for (int i = 0; i < 4; ++i) {
        r.colors[i] = sprite.GetVertex(i).diffuse;
    }
    r.u0 = sprite.GetVertex(0).u;
    r.v0 = sprite.GetVertex(0).v;
    r.u1 = sprite.GetVertex(3).u;
    r.v1 = sprite.GetVertex(3).v;
    r.mode = mode_;
    out_->push_back(r);
}

SoundBankRecorder::SoundBankRecorder(std::vector<TSoundBankRecord>* out) : out_(out)
{
    SetSoundBankObserver(this);
}

SoundBankRecorder::~SoundBankRecorder()
{
    SetSoundBankObserver(nullptr);
}

void SoundBankRecorder::OnLoad(std::uint32_t bank, std::uint32_t id)
{
    ++uses_[bank][id];
    Add(TSoundBankRecord::kLoad, bank, id);
}

void SoundBankRecorder::OnUnload(std::uint32_t bank, std::uint32_t id)
{
    std::uint32_t& count = uses_[bank][id];
    if (count > 0) {
        --count;
    }
    Add(TSoundBankRecord::kUnload, bank, id);
}

std::vector<std::pair<std::uint32_t, std::uint32_t>> SoundBankRecorder::Uses(std::uint32_t bank) const
{
    std::vector<std::pair<std::uint32_t, std::uint32_t>> uses;
    if (auto it = uses_.find(bank); it != uses_.end()) {
        for (const auto& [id, count] : it->second) {
            if (count > 0) {
                uses.emplace_back(id, count);
            }
        }
    }
    return uses;
}

TextureCacheRecorder::TextureCacheRecorder()
{
    SetTextureCacheObserver(this);
}

TextureCacheRecorder::~TextureCacheRecorder()
{
    SetTextureCacheObserver(nullptr);
}

void TextureCacheRecorder::OnDropped(const void* entry)
{
    std::erase_if(entries_, [entry](const auto& e) { return e.first == entry; });
}

std::vector<std::string> TextureCacheRecorder::Names() const
{
    std::vector<std::string> names;
    for (const auto& e : entries_) {
        names.push_back(e.second);
    }
    return names;
}

void SoundBankRecorder::Add(TSoundBankRecord::Op op, std::uint32_t bank, std::uint32_t id)
{
    if (recording_) {
        out_->push_back({op, bank, id});
    }
}

std::string FormatDraws(const std::vector<TSpriteDrawRecord>& draws)
{
    static const char* const kKinds[] = {"draw", "rect", "turned"};
    std::string text;
    char line[256];
    for (const TSpriteDrawRecord& d : draws) {
        std::snprintf(line, sizeof line, "%-6s %-24s %g,%g %gx%g mode %d %08X %08X %08X %08X\n", kKinds[d.kind],
                      d.texture.empty() ? "-" : d.texture.c_str(), d.x, d.y, d.w, d.h, d.mode,
                      static_cast<unsigned>(d.colors[0]), static_cast<unsigned>(d.colors[1]),
                      static_cast<unsigned>(d.colors[2]), static_cast<unsigned>(d.colors[3]));
        text += line;
    }
    return text;
}

}  // namespace qmtest
