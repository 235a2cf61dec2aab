// The replay of a recorded frame on OpenGL 3.3 core.
#include "graphics/device/OpenGLInternal.h"
#include "graphics/device/OpenGLShaders.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstddef>
#include <string>

uint32_t GLBlendFactor(uint32_t b) {
    switch (b) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    default:
        return GL_ONE;
    }
}

uint32_t GLBlendOp(uint32_t op) {
    switch (op) {
    case D3DBLENDOP_SUBTRACT:
        return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
        return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
        return GL_MIN;
    case D3DBLENDOP_MAX:
        return GL_MAX;
    default:
        return GL_FUNC_ADD;
    }
}

OpenGLRenderer::~OpenGLRenderer() = default;

bool OpenGLRenderer::Init() {
    if (ready_) return true;
    if (!error_.empty()) return false;
    if (epoxy_gl_version() < 33) {
        error_ = "OpenGL 3.3 is not available (version " + std::to_string(epoxy_gl_version()) + ")";
        return false;
    }
    // The most common program first: a shader the driver cannot build shows at once.
    TGLDrawState modulate;
    modulate.colorOp = modulate.alphaOp = 4;
    if (!Program(TGLProgramKey::Of(modulate))) return false;

    glGenVertexArrays(1, &vao_);
    glGenBuffers(1, &vbo_);
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    const auto stride = static_cast<GLsizei>(sizeof(TGLVertex));
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(TGLVertex, x)));
    glEnableVertexAttribArray(1);
    // D3DCOLOR words lie in memory as B, G, R, A: GL_BGRA reads them as (r, g, b, a).
    glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<void*>(offsetof(TGLVertex, color)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(TGLVertex, u)));

    // One sampler per filter and addressing pair: point or bilinear, wrap or clamp.
    glGenSamplers(8, samplers_);
    for (uint32_t i = 0; i < 8; ++i) {
        const GLint filter = (i & 1) ? GL_LINEAR : GL_NEAREST;
        glSamplerParameteri(samplers_[i], GL_TEXTURE_MIN_FILTER, filter);
        glSamplerParameteri(samplers_[i], GL_TEXTURE_MAG_FILTER, filter);
        glSamplerParameteri(samplers_[i], GL_TEXTURE_WRAP_S, (i & 2) ? GL_REPEAT : GL_CLAMP_TO_EDGE);
        glSamplerParameteri(samplers_[i], GL_TEXTURE_WRAP_T, (i & 4) ? GL_REPEAT : GL_CLAMP_TO_EDGE);
    }
    ready_ = true;
    return true;
}

const TGLProgram* OpenGLRenderer::Program(TGLProgramKey Key) {
    for (const auto& [key, program] : programs_)
        if (key == Key) return &program;
    TGLProgram program;
    if (!BuildProgram(Key, program, error_)) return nullptr;
    programs_.emplace_back(Key, program);
    return &programs_.back().second;
}

void OpenGLRenderer::Release() {
    if (vbo_) glDeleteBuffers(1, &vbo_);
    if (vao_) glDeleteVertexArrays(1, &vao_);
    if (samplers_[0]) glDeleteSamplers(8, samplers_);
    for (const auto& entry : programs_) glDeleteProgram(entry.second.id);
    programs_.clear();
    vbo_ = vao_ = 0;
    for (uint32_t& s : samplers_) s = 0;
    ready_ = false;
}

bool OpenGLRenderer::Replay(const std::vector<TGLCommand>& Commands, uint32_t Width, uint32_t Height,
                            uint32_t FbWidth, uint32_t FbHeight) {
    if (!Init()) return false;
    glViewport(0, 0, static_cast<GLsizei>(FbWidth), static_cast<GLsizei>(FbHeight));
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_DITHER);
    glEnable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    glActiveTexture(GL_TEXTURE0);
    target_[0] = static_cast<float>(Width), target_[1] = static_cast<float>(Height);
    current_ = nullptr;
    applied_ = Applied{};
    const double sx = static_cast<double>(FbWidth) / Width, sy = static_cast<double>(FbHeight) / Height;
    for (const TGLCommand& c : Commands) {
        // The clip rectangle in GL's window coordinates (origin bottom left).
        const auto left = static_cast<GLint>(c.clip.Left * sx);
        const auto right = static_cast<GLint>(c.clip.Right * sx);
        const auto bottom = static_cast<GLint>((static_cast<int64_t>(Height) - c.clip.Bottom) * sy);
        const auto top = static_cast<GLint>((static_cast<int64_t>(Height) - c.clip.Top) * sy);
        if (right <= left || top <= bottom) continue;
        glScissor(left, bottom, right - left, top - bottom);
        if (c.kind == TGLCommandKind::Clear) {
            glClearColor(static_cast<float>((c.color >> 16) & 0xFF) / 255.0f,
                         static_cast<float>((c.color >> 8) & 0xFF) / 255.0f,
                         static_cast<float>(c.color & 0xFF) / 255.0f,
                         static_cast<float>(c.color >> 24) / 255.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            continue;
        }
        Draw(c);
    }
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glBindVertexArray(0);
    glBindSampler(0, 0);
    glUseProgram(0);
    return error_.empty();
}

namespace {
// The draw's alpha is 1 on every pixel (an opaque texture, opaque vertices): blending by
// source alpha would give the source exactly, so it is left to the rasteriser to write
// it instead of reading the frame back (the background, the most pixels of a frame).
// The stage's alpha follows the shader's rules: 1 the diffuse colour, 2 and 3 one
// argument, anything else both; an argument is the texture when its low bits are 2.
bool AlphaIsOne(const TGLCommand& c) {
    const TGLDrawState& s = c.state;
    const bool diffuse = std::all_of(c.vertices.begin(), c.vertices.end(),
                                     [](const TGLVertex& v) { return v.color >= 0xFF000000u; });
    const bool texel = s.texture && s.texture->Opaque();
    const auto arg = [&](uint32_t a) { return (a & 15) == 2 ? texel : diffuse; };
    switch (s.alphaOp) {
    case 1:
        return diffuse;
    case 2:
        return arg(s.alphaArg1);
    case 3:
        return arg(s.alphaArg2);
    default:
        return arg(s.alphaArg1) && arg(s.alphaArg2);
    }
}

bool BlendChangesNothing(const TGLCommand& c) {
    const TGLDrawState& s = c.state;
    return s.srcBlend == D3DBLEND_SRCALPHA && s.destBlend == D3DBLEND_INVSRCALPHA &&
           s.blendOp == D3DBLENDOP_ADD && AlphaIsOne(c);
}
} // namespace

bool OpenGLRenderer::ApplyState(const TGLDrawState& s, bool blend) {
    const TGLProgram* program = Program(TGLProgramKey::Of(s));
    if (!program) return false;
    if (program != current_) {
        current_ = program;
        glUseProgram(program->id);
        glUniform1i(program->uTex, 0);
        glUniform2f(program->uTarget, target_[0], target_[1]);
    }
    if (program->uAlphaRef >= 0) glUniform1i(program->uAlphaRef, static_cast<GLint>(s.alphaRef));
    // A texture is bound again when it changes or has new texels to upload.
    const TGLTexels* texture = s.texture.get();
    if (!applied_.textureKnown || texture != applied_.texture || (texture && texture->dirty)) {
        if (texture)
            s.texture->Bind();
        else
            glBindTexture(GL_TEXTURE_2D, 0);
        applied_.texture = texture;
        applied_.textureKnown = true;
    }
    if (texture) {
        const int sampler = (s.linear ? 1 : 0) | (s.wrapU ? 2 : 0) | (s.wrapV ? 4 : 0);
        if (sampler != applied_.sampler) glBindSampler(0, samplers_[sampler]);
        applied_.sampler = sampler;
    }
    if (static_cast<int>(blend) != applied_.blend) {
        if (blend)
            glEnable(GL_BLEND);
        else
            glDisable(GL_BLEND);
        applied_.blend = blend;
    }
    const uint32_t func[3] = {GLBlendFactor(s.srcBlend), GLBlendFactor(s.destBlend), GLBlendOp(s.blendOp)};
    uint32_t* last = applied_.blendFunc;
    if (blend && (func[0] != last[0] || func[1] != last[1] || func[2] != last[2])) {
        glBlendFunc(func[0], func[1]);
        glBlendEquation(func[2]);
        std::copy(func, func + 3, last);
    }
    // The picture is not mirrored on its way to GL, so a triangle that winds clockwise
    // on the screen is clockwise for GL too: CULL_CCW removes GL's back faces.
    const uint32_t cull = s.cullMode == D3DCULL_CCW || s.cullMode == D3DCULL_CW ? s.cullMode : D3DCULL_NONE;
    if (cull != applied_.cull) {
        if (cull == D3DCULL_NONE) {
            glDisable(GL_CULL_FACE);
        } else {
            glEnable(GL_CULL_FACE);
            glFrontFace(GL_CW);
            glCullFace(cull == D3DCULL_CCW ? GL_BACK : GL_FRONT);
        }
        applied_.cull = cull;
    }
    return true;
}

void OpenGLRenderer::Draw(const TGLCommand& c) {
    if (!ApplyState(c.state, c.state.alphaBlend && !BlendChangesNothing(c))) return;
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(c.vertices.size() * sizeof(TGLVertex)),
                 c.vertices.data(), GL_STREAM_DRAW);
    glDrawArrays(c.primitive == D3DPT_TRIANGLELIST ? GL_TRIANGLES : GL_TRIANGLE_STRIP, 0,
                 static_cast<GLsizei>(c.vertices.size()));
}
