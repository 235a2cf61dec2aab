#pragma once
// The parts of the OpenGL device that its own files share: textures, recorded
// commands and the renderer that replays them with the context current.
#include "graphics/device/OpenGLDevice.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

// What the device and its textures share: texture memory in use and the names of GL
// textures whose owners are gone (deleted at the next replay, when the context is current).
struct TGLShared {
    uint64_t TextureBytes = 0;
    std::vector<uint32_t> DeadTextures;
};

// What GL draws a texture from: its pixels as A8R8G8B8 and their GL name. The texture
// and the draws recorded with it share it, so that a texture the game releases between
// drawing and Present is still shown as it was drawn, while the texture itself has no
// owner but the game (whose release would otherwise count the draw's reference).
struct TGLTexels {
    TGLTexels(uint32_t Width, uint32_t Height, std::shared_ptr<TGLShared> Shared);
    ~TGLTexels();
    TGLTexels(const TGLTexels&) = delete;
    TGLTexels& operator=(const TGLTexels&) = delete;
    // The GL name, created and filled when needed; the context must be current.
    uint32_t Bind();
    bool Opaque() const { return opaque; }

    uint32_t width, height;
    std::vector<uint32_t> argb;
    bool dirty = true;
    bool opaque = false; // every texel has alpha 255 (as last unlocked)
    uint32_t name = 0;
    std::shared_ptr<TGLShared> shared;
};

class OpenGLTexture : public IRenderTexture {
public:
    OpenGLTexture(uint32_t Width, uint32_t Height, D3DFORMAT Format, D3DPOOL Pool, uint32_t Usage,
                  std::shared_ptr<TGLShared> Shared);
    ~OpenGLTexture() override;

    uint32_t GetLevelCount() override { return 1; }
    HRESULT GetLevelDesc(uint32_t Level, D3DSURFACE_DESC& Desc) override;
    HRESULT LockRect(uint32_t Level, D3DLOCKED_RECT& Locked, const TRect* Rect, uint32_t Flags) override;
    HRESULT UnlockRect(uint32_t Level) override;

    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }
    // The texture's GL name, created and filled when needed; the context must be current.
    uint32_t Bind() { return texels_->Bind(); }
    const std::shared_ptr<TGLTexels>& Texels() const { return texels_; }

private:
    void ConvertRect(const TRect& r);

    uint32_t width_, height_, bpp_, pitch_;
    D3DFORMAT format_;
    D3DPOOL pool_;
    uint32_t usage_;
    std::vector<uint8_t> data_; // the pixels in the texture's format
    bool locked_ = false;
    bool readOnlyLock_ = false;
    TRect lockedRect_;
    std::shared_ptr<TGLShared> shared_;
    std::shared_ptr<TGLTexels> texels_; // the same as A8R8G8B8, what GL receives
};

// One vertex as the shader takes it.
struct TGLVertex {
    float x, y;
    uint32_t color; // D3DCOLOR: bytes B, G, R, A in memory
    float u, v;
};

// The states a draw needs, resolved when it is recorded.
struct TGLDrawState {
    std::shared_ptr<TGLTexels> texture;
    bool linear = false;
    bool wrapU = true, wrapV = true;
    uint32_t colorOp = 0, colorArg1 = 0, colorArg2 = 0;
    uint32_t alphaOp = 0, alphaArg1 = 0, alphaArg2 = 0;
    bool alphaBlend = false;
    uint32_t srcBlend = 0, destBlend = 0, blendOp = 0;
    bool alphaTest = false;
    uint32_t alphaFunc = 0, alphaRef = 0;
    uint32_t cullMode = 0;
};

enum class TGLCommandKind { Clear, Draw };

struct TGLCommand {
    TGLCommandKind kind = TGLCommandKind::Clear;
    TRect clip;         // the viewport (clear rectangle for a clear)
    D3DCOLOR color = 0; // clear colour
    uint32_t primitive = 0;
    TGLDrawState state;
    std::vector<TGLVertex> vertices;
};

// The device's shader programs: one small program per combination of texture stage and
// alpha test in use, so that each draw runs only what it needs and samples through GL's
// own texture units (the cheapest path on every driver, and the only fast one on a
// software rasteriser such as llvmpipe).
// What a program computes: the colour and alpha operations (with whether each argument
// is the texture or the diffuse colour), whether a texture is bound, and the alpha
// test's comparison. Equal keys make equal programs.
struct TGLProgramKey {
    uint32_t value = 0;

    static TGLProgramKey Of(const TGLDrawState& s);
    bool operator==(const TGLProgramKey&) const = default;
};

struct TGLProgram {
    uint32_t id = 0;
    int32_t uTarget = -1, uTex = -1, uAlphaRef = -1;
};

// GL objects (program, vertex array and buffer) and the replay of a frame. Every
// method needs the context current.
class OpenGLRenderer {
public:
    ~OpenGLRenderer();
    // Draws the commands into the bound framebuffer of FbWidth x FbHeight pixels for a
    // back buffer of Width x Height. False when the GL objects cannot be made.
    bool Replay(const std::vector<TGLCommand>& Commands, uint32_t Width, uint32_t Height, uint32_t FbWidth,
                uint32_t FbHeight);
    // Deletes what the renderer made; the context must be current.
    void Release();
    const std::string& Error() const { return error_; }

private:
    bool Init();
    void Draw(const TGLCommand& c);
    // Binds the program, texture and sampler and sets the fixed-function states (blending
    // as `blend` says); false when the draw's program cannot be built.
    bool ApplyState(const TGLDrawState& s, bool blend);
    // The program for a key, built on first use; null when the driver refuses it.
    const TGLProgram* Program(TGLProgramKey Key);

    // The states the replay has set so far in the frame, so that a draw sets only those
    // that change (all unknown at the start of a frame).
    struct Applied {
        const TGLTexels* texture = nullptr;
        bool textureKnown = false;
        int sampler = -1;
        int blend = -1;                          // GL_BLEND off (0) or on (1)
        uint32_t blendFunc[3] = {~0u, ~0u, ~0u}; // GL's source and destination factors, operation
        uint32_t cull = ~0u;                     // the D3D cull mode
    };

    bool ready_ = false;
    uint32_t vao_ = 0, vbo_ = 0;
    uint32_t samplers_[8] = {};
    // Built programs by key; a deque keeps the pointers handed out valid.
    std::deque<std::pair<TGLProgramKey, TGLProgram>> programs_;
    const TGLProgram* current_ = nullptr;
    Applied applied_;
    float target_[2] = {1, 1};
    std::string error_;
};

// The blend factor and operation in GL terms.
uint32_t GLBlendFactor(uint32_t D3DBlend);
uint32_t GLBlendOp(uint32_t D3DBlendOp);
