#include "graphics/PixelFormat.h"
#include "graphics/device/OpenGLInternal.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>

OpenGLTexture::OpenGLTexture(uint32_t Width, uint32_t Height, D3DFORMAT Format, D3DPOOL Pool, uint32_t Usage,
                             std::shared_ptr<TGLShared> Shared)
    : width_(Width), height_(Height), bpp_(FormatBits(Format) / 8),
      pitch_((Width * (FormatBits(Format) / 8) + 3) & ~3u), format_(Format), pool_(Pool), usage_(Usage),
      data_(static_cast<size_t>(pitch_) * Height), shared_(std::move(Shared)),
      texels_(std::make_shared<TGLTexels>(Width, Height, shared_)) {
    shared_->TextureBytes += data_.size();
}

OpenGLTexture::~OpenGLTexture() {
    shared_->TextureBytes -= data_.size();
}

TGLTexels::TGLTexels(uint32_t Width, uint32_t Height, std::shared_ptr<TGLShared> Shared)
    : width(Width), height(Height), argb(static_cast<size_t>(Width) * Height, 0), shared(std::move(Shared)) {}

// The name is deleted at the next Present, with the context current.
TGLTexels::~TGLTexels() {
    if (name != 0) shared->DeadTextures.push_back(name);
}

HRESULT OpenGLTexture::GetLevelDesc(uint32_t Level, D3DSURFACE_DESC& Desc) {
    if (Level != 0) return D3DERR_INVALIDCALL;
    Desc.Format = format_;
    Desc.Type = D3DRTYPE_SURFACE;
    Desc.Usage = usage_;
    Desc.Pool = pool_;
    Desc.Width = width_;
    Desc.Height = height_;
    return D3D_OK;
}

HRESULT OpenGLTexture::LockRect(uint32_t Level, D3DLOCKED_RECT& Locked, const TRect* Rect, uint32_t Flags) {
    if (Level != 0 || locked_) return D3DERR_INVALIDCALL;
    const TRect r = Rect ? *Rect : TRect{0, 0, static_cast<int32_t>(width_), static_cast<int32_t>(height_)};
    if (r.Left < 0 || r.Top < 0 || r.Left >= r.Right || r.Top >= r.Bottom ||
        static_cast<uint32_t>(r.Right) > width_ || static_cast<uint32_t>(r.Bottom) > height_)
        return D3DERR_INVALIDCALL;
    locked_ = true;
    readOnlyLock_ = (Flags & D3DLOCK_READONLY) != 0;
    lockedRect_ = r;
    Locked.Pitch = static_cast<int32_t>(pitch_);
    Locked.pBits = data_.data() + static_cast<size_t>(r.Top) * pitch_ + static_cast<size_t>(r.Left) * bpp_;
    return D3D_OK;
}

HRESULT OpenGLTexture::UnlockRect(uint32_t Level) {
    if (Level != 0 || !locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    if (!readOnlyLock_) ConvertRect(lockedRect_);
    return D3D_OK;
}

// The locked rectangle as A8R8G8B8 words; formats without alpha read as opaque.
void OpenGLTexture::ConvertRect(const TRect& r) {
    for (int32_t y = r.Top; y < r.Bottom; ++y) {
        const uint8_t* src = data_.data() + static_cast<size_t>(y) * pitch_;
        uint32_t* dst = texels_->argb.data() + static_cast<size_t>(y) * width_;
        if (format_ == D3DFMT_A8R8G8B8) {
            std::memcpy(dst + r.Left, src + static_cast<size_t>(r.Left) * 4,
                        static_cast<size_t>(r.Right - r.Left) * 4);
            continue;
        }
        for (int32_t x = r.Left; x < r.Right; ++x) {
            uint32_t p = 0;
            std::memcpy(&p, src + static_cast<size_t>(x) * bpp_, bpp_);
            dst[x] = PixelToARGB(p, format_);
        }
    }
    texels_->dirty = true;
    texels_->opaque =
        std::all_of(texels_->argb.begin(), texels_->argb.end(), [](uint32_t p) { return p >= 0xFF000000u; });
}

uint32_t TGLTexels::Bind() {
    if (name == 0) {
        GLuint n = 0;
        glGenTextures(1, &n);
        name = n;
        glBindTexture(GL_TEXTURE_2D, name);
        // Filtering and addressing come from the renderer's sampler objects.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        // Unsized, so that the driver may keep the texels in the order given (B, G, R, A
        // in memory): Mesa then stores them as they come, in the order of the frame they
        // are drawn into (see GlSurface), instead of reordering every upload.
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0,
                     GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb.data());
        dirty = false;
        return name;
    }
    glBindTexture(GL_TEXTURE_2D, name);
    if (dirty) {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height),
                        GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb.data());
        dirty = false;
    }
    return name;
}
