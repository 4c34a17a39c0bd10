#include <algorithm>
#include <cstring>

#include "platform/d3d8/device.h"

namespace platform::d3d8 {

DeviceChild::DeviceChild(Device* device) : device_(device) { device_->ChildCreated(); }

DeviceChild::~DeviceChild() { device_->ChildDestroyed(); }

HRESULT DeviceChild::GetDeviceImpl(IDirect3DDevice8** out) const
{
    if (out == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    device_->AddRef();
    *out = device_;
    return D3D_OK;
}

namespace {

bool ValidRect(const RECT& r, UINT width, UINT height)
{
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && static_cast<UINT>(r.right) <= width &&
           static_cast<UINT>(r.bottom) <= height;
}

RECT WholeRect(UINT width, UINT height)
{
    return RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
}

}  // namespace

// ---- Surface ----

Surface::Surface(Device* device, Kind kind, const D3DSURFACE_DESC& desc, Texture* container, UINT level)
    : DeviceChild(device), kind_(kind), desc_(desc), container_(container), level_(level)
{
}

Surface::~Surface()
{
    if (texture_ != 0 || renderbuffer_ != 0) {
        device_->MakeCurrent();
        if (texture_ != 0) {
            device_->ForgetTexture(texture_);
            glDeleteTextures(1, &texture_);
        }
        if (renderbuffer_ != 0) {
            gl::DeleteRenderbuffers(1, &renderbuffer_);
        }
    }
}

bool Surface::Init(bool lockable)
{
    lockable_ = lockable;
    if (kind_ == Kind::TextureLevel) {
        return true;
    }
    device_->MakeCurrent();
    if (kind_ == Kind::DepthStencil) {
        const DepthFormat* f = FindDepthFormat(desc_.Format);
        if (f == nullptr) {
            return false;
        }
        gl::GenRenderbuffers(1, &renderbuffer_);
        gl::BindRenderbuffer(GL_RENDERBUFFER, renderbuffer_);
        gl::RenderbufferStorage(GL_RENDERBUFFER, f->internal, static_cast<GLsizei>(desc_.Width),
                                static_cast<GLsizei>(desc_.Height));
        gl::BindRenderbuffer(GL_RENDERBUFFER, 0);
        return glGetError() == GL_NO_ERROR;
    }
    const ColorFormat* f = FindColorFormat(desc_.Format);
    if (f == nullptr) {
        return false;
    }
    pitch_ = desc_.Width * f->bytes;
    if (kind_ == Kind::Image) {
        memory_.assign(static_cast<size_t>(pitch_) * desc_.Height, 0);
        return true;
    }
    glGenTextures(1, &texture_);
    gl::ActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture_);
    device_->ForgetTexture(texture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(f->targetInternal), static_cast<GLsizei>(desc_.Width),
                 static_cast<GLsizei>(desc_.Height), 0, f->glFormat, f->glType, nullptr);
    return glGetError() == GL_NO_ERROR;
}

ULONG Surface::AddRef()
{
    return container_ != nullptr ? container_->AddRef() : ComObject::AddRef();
}

ULONG Surface::Release()
{
    return container_ != nullptr ? container_->Release() : ComObject::Release();
}

GLuint Surface::ColorTexture() const { return container_ != nullptr ? container_->Name() : texture_; }

bool Surface::HasStencil() const
{
    const DepthFormat* f = FindDepthFormat(desc_.Format);
    return f != nullptr && f->stencil;
}

BYTE* Surface::MemoryView(UINT* pitch)
{
    if (kind_ == Kind::Image) {
        *pitch = pitch_;
        return memory_.data();
    }
    if (container_ != nullptr) {
        return container_->LevelMemory(level_, pitch);
    }
    return nullptr;
}

void Surface::MemoryChanged(const RECT& rect)
{
    if (container_ != nullptr) {
        container_->UploadLevel(level_, rect);
    }
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc)
{
    if (desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *desc = desc_;
    return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    if (locked == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (container_ != nullptr) {
        return container_->LockRect(level_, locked, rect, flags);
    }
    if (locked_ || kind_ == Kind::DepthStencil || (kind_ != Kind::Image && !lockable_)) {
        return D3DERR_INVALIDCALL;
    }
    const RECT area = rect != nullptr ? *rect : WholeRect(desc_.Width, desc_.Height);
    if (!ValidRect(area, desc_.Width, desc_.Height)) {
        return D3DERR_INVALIDCALL;
    }
    const UINT bytes = FindColorFormat(desc_.Format)->bytes;
    if (kind_ != Kind::Image) {
        // A lockable target is read back whole and written back on unlock.
        memory_.assign(static_cast<size_t>(pitch_) * desc_.Height, 0);
        if (!device_->ReadSurface(this, WholeRect(desc_.Width, desc_.Height), memory_.data(), pitch_)) {
            return D3DERR_INVALIDCALL;
        }
    }
    locked_ = true;
    lockRect_ = (flags & D3DLOCK_READONLY) != 0 ? RECT{} : area;
    locked->Pitch = static_cast<INT>(pitch_);
    locked->pBits = memory_.data() + static_cast<size_t>(area.top) * pitch_ + static_cast<size_t>(area.left) * bytes;
    return D3D_OK;
}

HRESULT Surface::UnlockRect()
{
    if (container_ != nullptr) {
        return container_->UnlockRect(level_);
    }
    if (!locked_) {
        return D3DERR_INVALIDCALL;
    }
    locked_ = false;
    if (kind_ != Kind::Image && lockRect_.right > lockRect_.left) {
        device_->WriteSurface(this, WholeRect(desc_.Width, desc_.Height), memory_.data(), pitch_);
    }
    if (kind_ != Kind::Image) {
        std::vector<BYTE>().swap(memory_);
    }
    return D3D_OK;
}

// ---- Texture ----

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : DeviceChild(device), format_(format), usage_(usage), pool_(pool)
{
    UINT full = 1;
    for (UINT w = width, h = height; w > 1 || h > 1; w = std::max(1U, w / 2), h = std::max(1U, h / 2)) {
        ++full;
    }
    const UINT count = levels == 0 ? full : std::min(levels, full);
    levels_.resize(count);
    for (UINT i = 0; i < count; ++i) {
        levels_[i].width = std::max(1U, width >> i);
        levels_[i].height = std::max(1U, height >> i);
    }
}

Texture::~Texture()
{
    // Level surfaces go first: they count as children of the device too.
    for (Level& level : levels_) {
        level.surface.reset();
    }
    if (name_ != 0) {
        device_->MakeCurrent();
        device_->ForgetTexture(name_);
        glDeleteTextures(1, &name_);
    }
}

bool Texture::Init()
{
    const ColorFormat* f = FindColorFormat(format_);
    if (f == nullptr) {
        return false;
    }
    device_->MakeCurrent();
    glGenTextures(1, &name_);
    gl::ActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, name_);
    device_->ForgetTexture(name_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels_.size() - 1));
    const GLint internal = static_cast<GLint>(IsRenderTarget() ? f->targetInternal : f->textureInternal);
    for (UINT i = 0; i < levels_.size(); ++i) {
        Level& level = levels_[i];
        level.pitch = level.width * f->bytes;
        const void* pixels = nullptr;
        if (!IsRenderTarget()) {
            level.memory.assign(static_cast<size_t>(level.pitch) * level.height, 0);
            pixels = level.memory.data();
        }
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), internal, static_cast<GLsizei>(level.width),
                     static_cast<GLsizei>(level.height), 0, f->glFormat, f->glType, pixels);
        D3DSURFACE_DESC desc = LevelDesc(i);
        level.surface = std::make_unique<Surface>(device_, Surface::Kind::TextureLevel, desc, this, i);
    }
    return glGetError() == GL_NO_ERROR;
}

D3DSURFACE_DESC Texture::LevelDesc(UINT level) const
{
    D3DSURFACE_DESC d{};
    d.Format = format_;
    d.Type = D3DRTYPE_SURFACE;
    d.Usage = usage_;
    d.Pool = pool_;
    d.Size = levels_[level].width * levels_[level].height * FindColorFormat(format_)->bytes;
    d.MultiSampleType = D3DMULTISAMPLE_NONE;
    d.Width = levels_[level].width;
    d.Height = levels_[level].height;
    return d;
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (desc == nullptr || level >= levels_.size()) {
        return D3DERR_INVALIDCALL;
    }
    *desc = LevelDesc(level);
    return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface)
{
    if (surface == nullptr || level >= levels_.size()) {
        return D3DERR_INVALIDCALL;
    }
    AddRef();
    *surface = levels_[level].surface.get();
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT index, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    if (locked == nullptr || index >= levels_.size() || IsRenderTarget()) {
        return D3DERR_INVALIDCALL;
    }
    Level& level = levels_[index];
    const RECT area = rect != nullptr ? *rect : WholeRect(level.width, level.height);
    if (level.locked || !ValidRect(area, level.width, level.height)) {
        return D3DERR_INVALIDCALL;
    }
    level.locked = true;
    level.lockRect = (flags & D3DLOCK_READONLY) != 0 ? RECT{} : area;
    const UINT bytes = FindColorFormat(format_)->bytes;
    locked->Pitch = static_cast<INT>(level.pitch);
    locked->pBits = level.memory.data() + static_cast<size_t>(area.top) * level.pitch +
                    static_cast<size_t>(area.left) * bytes;
    return D3D_OK;
}

HRESULT Texture::UnlockRect(UINT index)
{
    if (index >= levels_.size() || !levels_[index].locked) {
        return D3DERR_INVALIDCALL;
    }
    Level& level = levels_[index];
    level.locked = false;
    if (level.lockRect.right > level.lockRect.left) {
        UploadLevel(index, level.lockRect);
    }
    return D3D_OK;
}

BYTE* Texture::LevelMemory(UINT level, UINT* pitch)
{
    if (level >= levels_.size() || levels_[level].memory.empty()) {
        return nullptr;
    }
    *pitch = levels_[level].pitch;
    return levels_[level].memory.data();
}

void Texture::UploadLevel(UINT index, const RECT& rect)
{
    const ColorFormat* f = FindColorFormat(format_);
    const Level& level = levels_[index];
    device_->MakeCurrent();
    gl::ActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, name_);
    device_->ForgetTexture(name_);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(level.width));
    // GL rows run from the top like the surface's: the layer renders upside down to match.
    const BYTE* first = level.memory.data() + static_cast<size_t>(rect.top) * level.pitch +
                        static_cast<size_t>(rect.left) * f->bytes;
    glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(index), rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, f->glFormat, f->glType, first);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    device_->CountTextureUpload(static_cast<std::uint64_t>(rect.right - rect.left) * (rect.bottom - rect.top) * f->bytes);
}

void Texture::ApplySampler(const SamplerState& want, bool anisotropic)
{
    if (want == applied_) {
        return;
    }
    if (want.wrapS != applied_.wrapS) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, want.wrapS);
    }
    if (want.wrapT != applied_.wrapT) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, want.wrapT);
    }
    if (want.minFilter != applied_.minFilter) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, want.minFilter);
    }
    if (want.magFilter != applied_.magFilter) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, want.magFilter);
    }
    if (want.baseLevel != applied_.baseLevel) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL,
                        std::min(want.baseLevel, static_cast<GLint>(levels_.size() - 1)));
    }
    if (want.lodBias != applied_.lodBias) {
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_LOD_BIAS, want.lodBias);
    }
    if (anisotropic && want.anisotropy != applied_.anisotropy) {
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, want.anisotropy);
    }
    if (want.border != applied_.border) {
        const DWORD c = want.border;
        const GLfloat color[4] = {((c >> 16) & 0xFF) / 255.0F, ((c >> 8) & 0xFF) / 255.0F, (c & 0xFF) / 255.0F,
                                  ((c >> 24) & 0xFF) / 255.0F};
        glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, color);
    }
    applied_ = want;
}

// ---- Buffers ----

HRESULT BufferStore::Lock(UINT offset, UINT size, BYTE** data, DWORD flags)
{
    if (data == nullptr || offset > memory.size() || size > memory.size() - offset) {
        return D3DERR_INVALIDCALL;
    }
    const size_t length = size == 0 ? memory.size() - offset : size;
    if ((flags & D3DLOCK_READONLY) == 0 && length > 0) {
        if (dirtyEnd <= dirtyBegin) {
            dirtyBegin = offset;
            dirtyEnd = offset + length;
        } else {
            dirtyBegin = std::min<size_t>(dirtyBegin, offset);
            dirtyEnd = std::max(dirtyEnd, offset + length);
        }
    }
    locked = true;
    *data = memory.data() + offset;
    return D3D_OK;
}

HRESULT BufferStore::Unlock()
{
    if (!locked) {
        return D3DERR_INVALIDCALL;
    }
    locked = false;
    return D3D_OK;
}

size_t BufferStore::Sync()
{
    if (dirtyEnd <= dirtyBegin) {
        return 0;
    }
    const size_t bytes = dirtyEnd - dirtyBegin;
    gl::BufferSubData(target, static_cast<GLintptr>(dirtyBegin), static_cast<GLsizeiptr>(bytes),
                      memory.data() + dirtyBegin);
    dirtyBegin = dirtyEnd = 0;
    return bytes;
}

namespace {

bool InitStore(Device* device, BufferStore* store, GLenum target, UINT size, DWORD usage)
{
    store->memory.assign(size, 0);
    store->target = target;
    device->MakeCurrent();
    gl::GenBuffers(1, &store->name);
    gl::BindBuffer(target, store->name);
    gl::BufferData(target, size, store->memory.data(),
                   (usage & D3DUSAGE_DYNAMIC) != 0 ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    gl::BindBuffer(target, 0);
    device->ForgetBuffers();
    return glGetError() == GL_NO_ERROR;
}

void FreeStore(Device* device, BufferStore* store)
{
    if (store->name != 0) {
        device->MakeCurrent();
        gl::DeleteBuffers(1, &store->name);
        device->ForgetBuffers();  // the name may come back for another buffer
    }
}

}  // namespace

VertexBuffer::VertexBuffer(Device* device, const D3DVERTEXBUFFER_DESC& desc) : DeviceChild(device), desc_(desc) {}

VertexBuffer::~VertexBuffer() { FreeStore(device_, &store_); }

bool VertexBuffer::Init() { return InitStore(device_, &store_, GL_ARRAY_BUFFER, desc_.Size, desc_.Usage); }

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc)
{
    if (desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *desc = desc_;
    return D3D_OK;
}

IndexBuffer::IndexBuffer(Device* device, const D3DINDEXBUFFER_DESC& desc) : DeviceChild(device), desc_(desc) {}

IndexBuffer::~IndexBuffer() { FreeStore(device_, &store_); }

namespace {

template <class T>
IndexRange ScanRange(const T* p, UINT count)
{
    IndexRange r;
    for (UINT i = 0; i < count; ++i) {
        r.low = std::min<UINT>(r.low, p[i]);
        r.high = std::max<UINT>(r.high, p[i]);
    }
    return r;
}

}  // namespace

IndexRange IndexRangeOf(const void* indices, bool wide, UINT count)
{
    return wide ? ScanRange(static_cast<const std::uint32_t*>(indices), count)
                : ScanRange(static_cast<const std::uint16_t*>(indices), count);
}

IndexRange IndexBuffer::RangeOf(UINT start, UINT count)
{
    for (size_t i = 0; i < rangeCount_; ++i) {
        if (ranges_[i].start == start && ranges_[i].count == count) {
            return ranges_[i].range;
        }
    }
    const bool wide = desc_.Format == D3DFMT_INDEX32;
    const KnownRange found{start, count, IndexRangeOf(store_.memory.data() + start * (wide ? 4U : 2U), wide, count)};
    if (rangeCount_ < kKnownRanges) {
        ranges_[rangeCount_++] = found;
    } else {
        ranges_[nextRange_] = found;
        nextRange_ = (nextRange_ + 1) % kKnownRanges;
    }
    return found.range;
}

bool IndexBuffer::Init() { return InitStore(device_, &store_, GL_ELEMENT_ARRAY_BUFFER, desc_.Size, desc_.Usage); }

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc)
{
    if (desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *desc = desc_;
    return D3D_OK;
}

StateBlock::~StateBlock()
{
    for (IDirect3DBaseTexture8* t : texture) {
        if (t != nullptr) {
            t->Release();
        }
    }
}

}  // namespace platform::d3d8
