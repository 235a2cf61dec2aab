// The replay of a recorded frame on OpenGL 3.3 core.
#include "graphics/device/OpenGLInternal.h"

#include <epoxy/gl.h>

#include <cstddef>
#include <string>

namespace {

// Pre-transformed pixel coordinates: a pixel's centre lies on integers, so a vertex at
// x lands on GL window coordinate x + 0.5; y grows downwards. Sprites sit on whole
// pixels, so their edges pass exactly through pixel centres, where Direct3D takes the
// top and left edges and GL (whose y grows upwards) another pair: moving everything a
// 1/16 pixel up and left (a step that survives any rasteriser's sub-pixel grid) makes
// both take the same pixels.
const char* const VertexShader = R"(#version 330 core
layout(location = 0) in vec2 aPos;
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec2 aUV;
uniform vec2 uTarget;
out vec4 vColor;
out vec2 vUV;
void main() {
    vec2 p = aPos + (0.5 - 1.0 / 16.0);
    gl_Position = vec4(p.x / uTarget.x * 2.0 - 1.0, 1.0 - p.y / uTarget.y * 2.0, 0.0, 1.0);
    vColor = aColor;
    vUV = aUV;
}
)";

// Sampling, the texture stage and the alpha test. Texels are fetched by hand so that
// addressing, point sampling at texel edges and bilinear weights follow the device's
// rules exactly. Operations: 1 disable, 2 select arg 1, 3 select arg 2, else modulate;
// arguments: 2 texture, else the diffuse colour (stage 0's current colour).
const char* const FragmentShader = R"(#version 330 core
in vec4 vColor;
in vec2 vUV;
out vec4 fragColor;
uniform sampler2D uTex;
uniform bool uHasTex;
uniform bool uLinear;
uniform bvec2 uWrap;
uniform ivec3 uColorOp;
uniform ivec3 uAlphaOp;
uniform ivec3 uAlphaTest;  // enabled, function, reference (0..255)

int Address(int i, int size, bool wrap) {
    if (wrap) { int m = i % size; return m < 0 ? m + size : m; }
    return clamp(i, 0, size - 1);
}
vec4 Fetch(ivec2 i, ivec2 size) {
    return texelFetch(uTex, ivec2(Address(i.x, size.x, uWrap.x), Address(i.y, size.y, uWrap.y)), 0);
}
vec4 Texel() {
    if (!uHasTex) return vec4(1.0);
    ivec2 size = textureSize(uTex, 0);
    vec2 t = vUV * vec2(size);
    if (!uLinear) return Fetch(ivec2(floor(t + 1.0 / 1024.0)), size);
    t -= 0.5;
    vec2 f0 = floor(t);
    vec2 f = floor((t - f0) * 256.0) / 256.0;
    ivec2 i = ivec2(f0);
    vec4 top = mix(Fetch(i, size), Fetch(i + ivec2(1, 0), size), f.x);
    vec4 bottom = mix(Fetch(i + ivec2(0, 1), size), Fetch(i + ivec2(1, 1), size), f.x);
    return mix(top, bottom, f.y);
}
vec4 Arg(int a, vec4 texel) { return (a & 15) == 2 ? texel : vColor; }
vec4 Op(ivec3 op, vec4 texel) {
    if (op.x == 1) return vColor;
    if (op.x == 2) return Arg(op.y, texel);
    if (op.x == 3) return Arg(op.z, texel);
    return Arg(op.y, texel) * Arg(op.z, texel);
}
bool Passes(int f, int a, int ref) {
    if (f == 1) return false;
    if (f == 2) return a < ref;
    if (f == 3) return a == ref;
    if (f == 4) return a <= ref;
    if (f == 5) return a > ref;
    if (f == 6) return a != ref;
    if (f == 7) return a >= ref;
    return true;
}
void main() {
    vec4 texel = Texel();
    vec4 c = vec4(Op(uColorOp, texel).rgb, Op(uAlphaOp, texel).a);
    if (uAlphaTest.x != 0 && !Passes(uAlphaTest.y, int(round(clamp(c.a, 0.0, 1.0) * 255.0)), uAlphaTest.z))
        discard;
    fragColor = c;
}
)";

GLuint Compile(GLenum type, const char* source, std::string& error) {
    const GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetShaderInfoLog(s, sizeof log, nullptr, log);
        error = std::string("shader: ") + log;
        glDeleteShader(s);
        return 0;
    }
    return s;
}

} // namespace

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
    const GLuint vs = Compile(GL_VERTEX_SHADER, VertexShader, error_);
    const GLuint fs = vs ? Compile(GL_FRAGMENT_SHADER, FragmentShader, error_) : 0;
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        return false;
    }
    program_ = glCreateProgram();
    glAttachShader(program_, vs);
    glAttachShader(program_, fs);
    glLinkProgram(program_);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(program_, GL_LINK_STATUS, &ok);
    if (!ok) {
        error_ = "shader program does not link";
        glDeleteProgram(program_);
        program_ = 0;
        return false;
    }
    uTarget_ = glGetUniformLocation(program_, "uTarget");
    uTex_ = glGetUniformLocation(program_, "uTex");
    uHasTex_ = glGetUniformLocation(program_, "uHasTex");
    uLinear_ = glGetUniformLocation(program_, "uLinear");
    uWrap_ = glGetUniformLocation(program_, "uWrap");
    uColorOp_ = glGetUniformLocation(program_, "uColorOp");
    uAlphaOp_ = glGetUniformLocation(program_, "uAlphaOp");
    uAlphaTest_ = glGetUniformLocation(program_, "uAlphaTest");

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
    ready_ = true;
    return true;
}

void OpenGLRenderer::Release() {
    if (vbo_) glDeleteBuffers(1, &vbo_);
    if (vao_) glDeleteVertexArrays(1, &vao_);
    if (program_) glDeleteProgram(program_);
    vbo_ = vao_ = program_ = 0;
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
    glUseProgram(program_);
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    glActiveTexture(GL_TEXTURE0);
    glUniform1i(uTex_, 0);
    glUniform2f(uTarget_, static_cast<float>(Width), static_cast<float>(Height));
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
    glUseProgram(0);
    return true;
}

void OpenGLRenderer::ApplyState(const TGLDrawState& s) {
    if (s.texture) {
        s.texture->Bind();
    } else {
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    glUniform1i(uHasTex_, s.texture ? 1 : 0);
    glUniform1i(uLinear_, s.linear ? 1 : 0);
    glUniform2i(uWrap_, s.wrapU ? 1 : 0, s.wrapV ? 1 : 0);
    glUniform3i(uColorOp_, static_cast<GLint>(s.colorOp), static_cast<GLint>(s.colorArg1),
                static_cast<GLint>(s.colorArg2));
    glUniform3i(uAlphaOp_, static_cast<GLint>(s.alphaOp), static_cast<GLint>(s.alphaArg1),
                static_cast<GLint>(s.alphaArg2));
    glUniform3i(uAlphaTest_, s.alphaTest ? 1 : 0, static_cast<GLint>(s.alphaFunc),
                static_cast<GLint>(s.alphaRef));
    if (s.alphaBlend) {
        glEnable(GL_BLEND);
        glBlendFunc(GLBlendFactor(s.srcBlend), GLBlendFactor(s.destBlend));
        glBlendEquation(GLBlendOp(s.blendOp));
    } else {
        glDisable(GL_BLEND);
    }
    // The picture is not mirrored on its way to GL, so a triangle that winds clockwise
    // on the screen is clockwise for GL too: CULL_CCW removes GL's back faces.
    if (s.cullMode == D3DCULL_CCW || s.cullMode == D3DCULL_CW) {
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CW);
        glCullFace(s.cullMode == D3DCULL_CCW ? GL_BACK : GL_FRONT);
    } else {
        glDisable(GL_CULL_FACE);
    }
}

void OpenGLRenderer::Draw(const TGLCommand& c) {
    ApplyState(c.state);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(c.vertices.size() * sizeof(TGLVertex)),
                 c.vertices.data(), GL_STREAM_DRAW);
    glDrawArrays(c.primitive == D3DPT_TRIANGLELIST ? GL_TRIANGLES : GL_TRIANGLE_STRIP, 0,
                 static_cast<GLsizei>(c.vertices.size()));
}
