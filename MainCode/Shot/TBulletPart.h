// One visible piece of a shot's chain: a frame "BullFrm" holding one mesh "BullMsh". Particle parts
// show one cell of a texture on the shared particle quad; mesh parts a whole mesh file. Parts are
// moved by the shot's motion helper, so each is a motion target (its frame and world position).
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/Character/TMotionHelper.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TMeshMaterial.h"

class TBulletPart : public TMotionTarget {
    friend struct TShotProbe;
public:
    // A copy gets a deep copy of the frame (no parent) and finds its own mesh in it.
    TBulletPart(const TBulletPart& other);
    // Assignment shares the frame instead.
    TBulletPart& operator=(const TBulletPart& other);

    // Virtual operations in their fixed order.
    ~TBulletPart() override;
    // Hangs the frame under parent at a world position and heading and tints the mesh.
    virtual void Attach(TFrame* parent, const D3DXVECTOR3* position, const D3DXVECTOR3* direction,
                        const float colour[4]);
    virtual void Animate() {}
    virtual D3DXVECTOR3* GetWorldPosition(D3DXVECTOR3* out) const;
    virtual bool SetWorldPosition(const D3DXVECTOR3& position);
    // Out of view; the part keeps its parent.
    virtual void Park();

    TFrame* GetMotionFrame() override { return m_frame.Get(); }
    D3DXVECTOR3 GetMotionPoint() override;
    void SetMotionPoint(const D3DXVECTOR3& point) override { SetWorldPosition(point); }

    TFrame* GetFrame() const { return m_frame.Get(); }
    const TRefPtr<TFrame>& GetFrameRef() const { return m_frame; }

    static constexpr float kParkedAt = -1000.0F;

protected:
    // The frame "BullFrm" with the named effect mesh renamed "BullMsh", material type 4000, scaled.
    // An empty name loads the particle quad.
    TBulletPart(const std::string& meshName, const float scale[3]);

    TRefPtr<TFrame> m_frame;
    TMesh8* m_mesh = nullptr;
    float m_colour[4] = {0.0F, 0.0F, 0.0F, 0.0F};
};

// What one particle part class shares: its texture cell size and which of the run's counters it takes
// its cells from.
struct TBulletPartCells {
    float cellU;
    float cellV;
    std::uint32_t kind;  // an index into TRunState::bulletPartCounters
    bool grid;  // 2 × 2 cells; otherwise the u offset alternates over one picture
};

class TParticleBulletPart : public TBulletPart {
    friend struct TShotProbe;
public:
    TParticleBulletPart(const TParticleBulletPart& other);
    TParticleBulletPart& operator=(const TParticleBulletPart& other) = default;

    // The texture offsets of cell k.
    static void CellOffsets(const TBulletPartCells& cells, std::uint32_t k, float* u0, float* v0);

protected:
    // The particle quad with the texture on material 0, taking the class's next cell.
    TParticleBulletPart(const std::string& texture, const float scale[3], const TBulletPartCells& cells);
    // The next cell of this part; the class counter is left alone.
    void AdvanceCell();

private:
    // Texture coordinates of the quad's four vertices for cell k.
    void WriteCell(std::uint32_t k);

    const TBulletPartCells* m_cells;
    TMeshMaterial* m_material = nullptr;
    std::uint32_t m_cell = 0;
};

// One picture; the u offset alternates between 0 and 1.0.
class TBulletPartA : public TParticleBulletPart {
public:
    TBulletPartA(const std::string& texture, const float scale[3]) : TParticleBulletPart(texture, scale, kCells) {}

private:
    static constexpr TBulletPartCells kCells = {1.0F, 1.0F, 0, false};
};

// A 2 × 2 atlas, one cell further every frame.
class TBulletPartB : public TParticleBulletPart {
public:
    TBulletPartB(const std::string& texture, const float scale[3]) : TParticleBulletPart(texture, scale, kCells) {}
    void Animate() override { AdvanceCell(); }

private:
    static constexpr TBulletPartCells kCells = {0.5F, 0.5F, 1, true};
};

class TBulletPartC : public TParticleBulletPart {
public:
    TBulletPartC(const std::string& texture, const float scale[3]) : TParticleBulletPart(texture, scale, kCells) {}
    void Animate() override { AdvanceCell(); }

private:
    static constexpr TBulletPartCells kCells = {0.5F, 0.5F, 2, true};
};

class TBulletPartH : public TParticleBulletPart {
public:
    TBulletPartH(const std::string& texture, const float scale[3]) : TParticleBulletPart(texture, scale, kCells) {}

private:
    static constexpr TBulletPartCells kCells = {1.0F, 1.0F, 3, false};
};

// Whole meshes from the effect folder.
class TBulletPartE : public TBulletPart {
public:
    TBulletPartE(const std::string& mesh, const float scale[3]) : TBulletPart(mesh, scale) {}
};

class TBulletPartL : public TBulletPart {
public:
    TBulletPartL(const std::string& mesh, const float scale[3]) : TBulletPart(mesh, scale) {}
};
