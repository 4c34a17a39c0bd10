// State blocks of the render presets, and the draw lists that gather mesh subsets during a frame
// and draw them sorted when the frame's walk is done.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d8/d3d8.h"

class TMesh8;
class TView;

// One recorded state block of the device. Every operation but Record and Release does nothing here.
class TStateBlock {
    friend struct TDxProbe;

public:
    TStateBlock() = default;
    TStateBlock(const TStateBlock&) = delete;
    TStateBlock& operator=(const TStateBlock&) = delete;

    virtual void Add(const D3DMATRIX* world, TView* view, std::uint32_t material, TMesh8* mesh);
    virtual void Flush();
    // A block still recorded is left to the device; Release deletes it.
    virtual ~TStateBlock();
    virtual void Apply();
    virtual void Clear();
    virtual void SortAndDraw();
    virtual void SetStates();

    // The device defaults, then SetStates, into a new block.
    void Record();
    void Release();

protected:
    static constexpr DWORD kNoBlock = 0xFFFFFFFF;
    DWORD m_handle = kNoBlock;
};

// Code 0: whatever is added is never drawn.
class THideStateBlock : public TStateBlock {
public:
    ~THideStateBlock() override;
};

class TDrawList : public TStateBlock {
public:
    struct Entry {
        std::uint16_t drawGroup;
        float depth;
        D3DMATRIX world;
        std::uint32_t material;
        TView* view;
        TMesh8* mesh;
    };

    // opaqueOrder: equal draw groups are drawn far to near (descending depth), else near to far.
    static TDrawList* Create(bool opaqueOrder, DWORD zEnable, DWORD zWriteEnable, DWORD alphaBlendEnable,
                             DWORD cullMode, DWORD fog, DWORD sourceBlend, DWORD destinationBlend);
    // Every preset in ascending code order; called once a frame after the frames were walked.
    static void FlushAll();

    void Add(const D3DMATRIX* world, TView* view, std::uint32_t material, TMesh8* mesh) override;
    void Flush() override;
    ~TDrawList() override;
    void Apply() override;
    void Clear() override;
    void SortAndDraw() override;
    void SetStates() override;


private:
    TDrawList() = default;

    bool m_opaqueOrder = false;
    DWORD m_zEnable = 0;
    DWORD m_zWriteEnable = 0;
    DWORD m_alphaBlendEnable = 0;
    DWORD m_cullMode = 0;
    DWORD m_fog = 0;
    DWORD m_sourceBlend = 0;
    DWORD m_destinationBlend = 0;
    bool m_opaqueOrderCopy = false;
    std::vector<Entry> m_entries;
};
