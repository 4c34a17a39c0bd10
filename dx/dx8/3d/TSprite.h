// 2D sprites: one textured rectangle of four screen-space vertices, placed on the 640×480 virtual
// screen and scaled to the target. The static screen modes (state blocks) choose the blending;
// mode 5 hides all sprite drawing. Main thread only.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "dx/dx8/3d/TTexture8.h"
#include "platform/d3d8/d3d8.h"

class TSprite {
    friend struct TDxProbe;

public:
    // FVF 0x1C4: position with rhw, diffuse, specular, one texture coordinate pair.
    static constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;
    static constexpr int kHiddenMode = 5;

    struct Vertex {
        float x, y, z, rhw;
        DWORD diffuse;
        DWORD specular;
        float u, v;
    };

    // A sprite without texture.
    TSprite();
    explicit TSprite(const TTexture8& image);
    TSprite(const std::string& name, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool, DWORD usage);
    static TSprite FromFile(const std::string& name, D3DPOOL pool, DWORD usage);
    virtual ~TSprite();

    // Corner 0..3 (top-left, top-right, bottom-left, bottom-right); -1 for all four.
    void SetColor(DWORD argb, int corner);
    // The same from channels in 0..1: each the integer part of v × 255, masked to 8 bits.
    void SetColorF(float r, float g, float b, float a, int corner);
    static DWORD PackColorF(float r, float g, float b, float a);
    void SetTexCoord(int corner, float u, float v);

    virtual void Draw(float x, float y, float w, float h, bool unscaled);
    // At the image's own size.
    virtual void Draw(float x, float y, bool unscaled);
    // Turned by m about the quad's centre.
    virtual void DrawTransformed(float x, float y, float w, float h, const D3DMATRIX* m, bool unscaled);
    // Untextured, in the corners' colours.
    void DrawRect(float x, float y, float w, float h, bool unscaled);

    const Vertex& GetVertex(int corner) const { return m_vertices[corner]; }
    std::uint32_t GetWidth() const { return m_width; }
    std::uint32_t GetHeight() const { return m_height; }

    static void SetScreenScale(int virtualWidth, int virtualHeight, int targetWidth, int targetHeight);
    static float GetScaleX() { return s_scaleX; }
    static float GetScaleY() { return s_scaleY; }

    // 5 hides sprites; 0..4 apply their recorded state block. A mode never recorded is ignored.
    static void SetRenderMode(int mode);
    // The device hooks: record modes 0..4 when the device comes or is restored, delete them when
    // it goes or is lost.
    static void CreateScreenModes() { RecordScreenModes(); }
    static void RecordScreenModes();
    static void ReleaseScreenModes() { DeleteScreenModes(); }
    static void DeleteScreenModes();

protected:
    void InitVertices();
    void TakeImageSize();
    void DrawQuad();

    Vertex m_vertices[4];
    TTexture8 m_image;
    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;

private:
    // Scales (unless unscaled) and places the four corners with the half-pixel shift.
    void PlaceCorners(float x, float y, float w, float h, bool unscaled);

    static inline int s_virtualWidth = 640;
    static inline int s_virtualHeight = 480;
    static inline int s_targetWidth = 640;
    static inline int s_targetHeight = 480;
    static inline float s_scaleX = 1.0F;
    static inline float s_scaleY = 1.0F;
    static inline bool s_hidden = false;
    static inline std::map<int, DWORD> s_modes;
};
