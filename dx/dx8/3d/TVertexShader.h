// Vertex shader objects: every mesh subset is drawn through its mesh's shader object, which colours
// the vertices (vertex colour, the material's emissive colour, or both multiplied) and blends two key
// frames of a morphing mesh. Without vertex shaders on the device the same vertices are prepared on
// the CPU and drawn with the fixed-function pipeline.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "TCommon/TRefPtr.h"
#include "platform/d3d8/d3d8.h"

class TMesh8;
class TView;

class TVertexShader {
    friend struct TDxProbe;

public:
    TVertexShader() = default;
    TVertexShader(const TVertexShader&) = delete;
    TVertexShader& operator=(const TVertexShader&) = delete;

    virtual void DrawSubset(std::uint32_t material, TMesh8* mesh, TView* view, const D3DMATRIX* world) = 0;
    // Software path: writes the material's vertices into the mesh's software vertex buffer.
    virtual void PrepareVertices(std::uint32_t material, TMesh8* mesh);
    virtual void Create() = 0;
    virtual void Release() = 0;
    virtual ~TVertexShader();

    // The fifteen mesh programs, made at device creation.
    static void BuildShaders();
    // Creates the shader and keeps it for as long as the device lives.
    static void Register(TVertexShader* shader);
    // Around a device reset.
    static void ReleaseAll();
    static void CreateAll();
    static void UninitShaders();
    // The shader a freshly made mesh draws with: constant colour, morphing when it has other than one key frame.
    static TRefPtr<TVertexShader> CreateConstantColorShader(const TMesh8& mesh);
    static void DeleteHandle(DWORD* cell);


private:
    static std::vector<TRefPtr<TVertexShader>>& Registry();
};

// A shader made from vs.1.0 text. Objects made with one program share its device handle through one
// cell; a morph shader also knows the cell of the single-frame program with its colour source, used
// when the two key frames it would blend are the same.
class TAsmVertexShader : public TVertexShader {
    friend struct TDxProbe;

public:
    enum class ColorSource { Vertex, Constant, Modulate };

    void DrawSubset(std::uint32_t material, TMesh8* mesh, TView* view, const D3DMATRIX* world) override;
    void Create() override;
    void Release() override;


protected:
    TAsmVertexShader(const char* source, DWORD* handle, DWORD* fixedHandle);

    // The fixed shaders' preparation: key frame k copied with the colour source applied. Unless
    // forced, only when the material's dirty flag was set.
    static void CopyVertices(TMesh8* mesh, std::uint32_t material, std::uint32_t keyFrame, bool force,
                             ColorSource source);
    // The morph shaders' preparation; mode bit 0 blends colours, bit 1 texture coordinates.
    static void PrepareMorph(TMesh8* mesh, std::uint32_t material, std::uint32_t mode, ColorSource source);

private:
    void DrawSoftware(std::uint32_t material, TMesh8* mesh, TView* view, const D3DMATRIX* world);

    const char* m_source;
    DWORD* m_handle;
    DWORD* m_fixedHandle;
};

class TVertexColorShader : public TAsmVertexShader {
public:
    TVertexColorShader();
    ~TVertexColorShader() override;
    void PrepareVertices(std::uint32_t material, TMesh8* mesh) override;
};

class TConstantColorShader : public TAsmVertexShader {
public:
    TConstantColorShader();
    ~TConstantColorShader() override;
    void PrepareVertices(std::uint32_t material, TMesh8* mesh) override;
};

class TModulateColorShader : public TAsmVertexShader {
public:
    TModulateColorShader();
    ~TModulateColorShader() override;
    void PrepareVertices(std::uint32_t material, TMesh8* mesh) override;
};

// Mode 0 to 3: bit 0 blends colours, bit 1 texture coordinates.
class TMorphVertexColorShader : public TAsmVertexShader {
public:
    explicit TMorphVertexColorShader(std::uint32_t mode);
    ~TMorphVertexColorShader() override;
    void PrepareVertices(std::uint32_t material, TMesh8* mesh) override;

private:
    std::uint32_t m_mode;
};

class TMorphConstantColorShader : public TAsmVertexShader {
public:
    explicit TMorphConstantColorShader(std::uint32_t mode);
    ~TMorphConstantColorShader() override;
    void PrepareVertices(std::uint32_t material, TMesh8* mesh) override;

private:
    std::uint32_t m_mode;
};

class TMorphModulateColorShader : public TAsmVertexShader {
public:
    explicit TMorphModulateColorShader(std::uint32_t mode);
    TMorphModulateColorShader(bool blendColors, bool blendTexCoords);
    ~TMorphModulateColorShader() override;
    void PrepareVertices(std::uint32_t material, TMesh8* mesh) override;

private:
    std::uint32_t m_mode;
};
