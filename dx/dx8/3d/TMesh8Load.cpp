// The mesh file: an 8-byte header, then a static or an animated mesh record.
#include <cstring>
#include <string>
#include <vector>

#include "TCommon/TByteReader.h"
#include "TCommon/FileFailure.h"
#include "TCommon/my_error.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TMesh8.h"
#include "platform/d3dx8/d3dx8.h"

namespace {

const char kSourceFile[] = "dx/dx8/3d/TMesh8";
constexpr std::uint32_t kStaticMagic = 0x0068736D;  // "msh" and a zero byte
// Two empty names and 17 floats: the smallest material record.
constexpr std::uint64_t kMinMaterialBytes = 4 + 4 + 68;

// The record's fields from the one reader; anything that does not fit fails the load naming the file.
class MeshReader {
public:
    explicit MeshReader(TByteReader& in) : m_in(in) {}

    [[noreturn]] void Fail(const char* reason, long line) const
    {
        throw my_error(m_in.Name() + " : " + reason, kSourceFile, line);
    }

    void Need(std::uint64_t count, std::uint64_t recordBytes, long line) const
    {
        if (!m_in.Fits(count, recordBytes)) {
            Fail(kCutShort, line);
        }
    }

    void Bytes(void* out, std::uint32_t n, long line)
    {
        if (!m_in.Bytes(out, n)) {
            Fail(kCutShort, line);
        }
    }

    std::uint16_t U16(long line)
    {
        std::uint16_t v = 0;
        return m_in.U16(v) ? v : (Fail(kCutShort, line), v);
    }

    std::uint32_t U32(long line)
    {
        std::uint32_t v = 0;
        return m_in.U32(v) ? v : (Fail(kCutShort, line), v);
    }

    float F32(long line)
    {
        float v = 0.0F;
        return m_in.F32(v) ? v : (Fail(kCutShort, line), v);
    }

    std::string String(long line)
    {
        std::string s;
        if (!m_in.String(s)) {
            Fail(kCutShort, line);
        }
        return s;
    }

    TByteReader& Reader() { return m_in; }

private:
    static constexpr const char* kCutShort = "ファイルが途中で終わっています。";
    TByteReader& m_in;
};

// What every layout starts with.
struct Head {
    std::string name;
    std::vector<TMeshMaterial> materials;
    std::uint16_t vertexCount = 0;
    std::uint32_t vertexSize = 0;
};

Head ReadHead(MeshReader& in, std::uint32_t vertexFormat)
{
    Head h;
    h.vertexSize = D3DXGetFVFVertexSize(vertexFormat);
    // Bounds, mirrors and the grid read a position from every vertex.
    if (h.vertexSize < 12) {
        in.Fail("頂点フォーマットが不正です。", __LINE__);
    }
    h.name = in.String(__LINE__);
    const std::uint32_t materialCount = in.U32(__LINE__);
    in.Need(materialCount, kMinMaterialBytes, __LINE__);
    h.materials.reserve(materialCount);
    for (std::uint32_t i = 0; i < materialCount; ++i) {
        h.materials.push_back(TMeshMaterial::Read(in.Reader()));
    }
    h.vertexCount = in.U16(__LINE__);
    return h;
}

// One key frame's vertices into a buffer of its own (none for a mesh without vertices).
TComPtr<IDirect3DVertexBuffer8> ReadVertices(MeshReader& in, const Head& h, std::uint32_t vertexFormat)
{
    const std::uint32_t bytes = h.vertexCount * h.vertexSize;
    std::vector<std::uint8_t> data(bytes);
    in.Bytes(data.data(), bytes, __LINE__);
    if (h.vertexCount == 0) {
        return TComPtr<IDirect3DVertexBuffer8>(nullptr);
    }
    TComPtr<IDirect3DVertexBuffer8> vb(
        TD3D8::Instance()->CreateVertexBuffer(h.vertexCount, vertexFormat, TD3D8::kDefaultPool, 0));
    BYTE* p = nullptr;
    if (vb.Get() != nullptr && SUCCEEDED(vb->Lock(0, 0, &p, 0))) {
        std::memcpy(p, data.data(), bytes);
        vb->Unlock();
    }
    return vb;
}

struct Triangles {
    std::uint16_t count = 0;
    TComPtr<IDirect3DIndexBuffer8> indexBuffer{nullptr};
    TRefPtr<std::uint32_t[]> faceMaterials{nullptr};
};

Triangles ReadTriangles(MeshReader& in, const Head& h)
{
    Triangles t;
    t.count = in.U16(__LINE__);
    in.Need(t.count, 6 + 4, __LINE__);
    std::vector<std::uint16_t> indices(static_cast<std::size_t>(t.count) * 3);
    for (std::uint16_t& index : indices) {
        index = in.U16(__LINE__);
        if (index >= h.vertexCount) {
            in.Fail("三角形の頂点番号が頂点数を超えています。", __LINE__);
        }
    }
    if (t.count == 0) {
        return t;
    }
    t.faceMaterials = TRefPtr<std::uint32_t[]>(new std::uint32_t[t.count]);
    for (std::uint16_t i = 0; i < t.count; ++i) {
        t.faceMaterials[i] = in.U32(__LINE__);
        if (t.faceMaterials[i] >= h.materials.size()) {
            in.Fail("三角形のマテリアル番号がマテリアル数を超えています。", __LINE__);
        }
    }
    t.indexBuffer = TComPtr<IDirect3DIndexBuffer8>(
        TD3D8::Instance()->CreateIndexBuffer(t.count, D3DFMT_INDEX16, TD3D8::kDefaultPool, 0));
    BYTE* p = nullptr;
    if (t.indexBuffer.Get() != nullptr && SUCCEEDED(t.indexBuffer->Lock(0, 0, &p, 0))) {
        std::memcpy(p, indices.data(), indices.size() * sizeof(std::uint16_t));
        t.indexBuffer->Unlock();
    }
    return t;
}

}  // namespace

TMesh8 TMesh8::Load(const std::string& name)
{
    const std::string path = s_folder + name;
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        throw my_error(FileFailureText(path), kSourceFile, 40);
    }
    TByteReader reader(bytes, path);
    MeshReader in(reader);
    const std::uint32_t magic = in.U32(__LINE__);
    const std::uint32_t vertexFormat = in.U32(__LINE__);
    return magic == kStaticMagic ? ReadBody(reader, vertexFormat) : ReadAnimatedBody(reader, vertexFormat);
}

TMesh8 TMesh8::ReadBody(TByteReader& reader, std::uint32_t vertexFormat)
{
    MeshReader in(reader);
    Head h = ReadHead(in, vertexFormat);
    TVertexBufferArray buffers(new TComPtr<IDirect3DVertexBuffer8>[1]);
    buffers[0] = ReadVertices(in, h, vertexFormat);
    Triangles t = ReadTriangles(in, h);
    return TMesh8(h.name, buffers, h.vertexCount, 1, t.indexBuffer, t.faceMaterials, t.count, h.materials,
                  static_cast<std::uint32_t>(h.materials.size()), TRefPtr<TMorphRecord[]>(nullptr), 0);
}

TMesh8 TMesh8::ReadAnimatedBody(TByteReader& reader, std::uint32_t vertexFormat)
{
    MeshReader in(reader);
    Head h = ReadHead(in, vertexFormat);
    const std::uint32_t keyFrames = in.U32(__LINE__);
    if (keyFrames == 0) {
        in.Fail("キーフレームがありません。", __LINE__);
    }
    // Key frames without vertices still count, so that their number stays bounded by the file.
    const std::uint64_t frameBytes = static_cast<std::uint64_t>(h.vertexCount) * h.vertexSize;
    in.Need(keyFrames, frameBytes != 0 ? frameBytes : 1, __LINE__);
    TVertexBufferArray buffers(new TComPtr<IDirect3DVertexBuffer8>[keyFrames]);
    for (std::uint32_t k = 0; k < keyFrames; ++k) {
        buffers[k] = ReadVertices(in, h, vertexFormat);
    }
    Triangles t = ReadTriangles(in, h);

    const std::uint32_t morphCount = in.U32(__LINE__);
    // Each record has at least a name length and a frame count.
    in.Need(morphCount, 8, __LINE__);
    TRefPtr<TMorphRecord[]> morphs(morphCount != 0 ? new TMorphRecord[morphCount] : nullptr);
    for (std::uint32_t m = 0; m < morphCount; ++m) {
        in.String(__LINE__);  // the morph's name is not kept
        TMorphRecord& record = morphs[m];
        record.frameCount = in.U32(__LINE__);
        in.Need(record.frameCount, 8, __LINE__);
        record.keyFrames = TRefPtr<std::uint32_t[]>(new std::uint32_t[record.frameCount + 1]);
        record.timeSteps = TRefPtr<float[]>(new float[record.frameCount + 1]);
        for (std::uint32_t f = 0; f < record.frameCount; ++f) {
            record.keyFrames[f] = in.U32(__LINE__);
            if (record.keyFrames[f] >= keyFrames) {
                in.Fail("モーフのキーフレーム番号がキーフレーム数を超えています。", __LINE__);
            }
        }
        for (std::uint32_t f = 0; f < record.frameCount; ++f) {
            record.timeSteps[f] = in.F32(__LINE__);
        }
    }
    return TMesh8(h.name, buffers, h.vertexCount, keyFrames, t.indexBuffer, t.faceMaterials, t.count, h.materials,
                  static_cast<std::uint32_t>(h.materials.size()), morphs, morphCount);
}
