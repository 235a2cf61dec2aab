#pragma once
// The software device's drawing: triangles of pre-transformed vertices into an
// A8R8G8B8 frame, one span (a run of pixels of one row) at a time. A span is sampled
// from the texture into a row buffer, combined with the vertex colour, alpha tested
// and blended into the frame. The sprites' common case (texel times one colour, copied
// or blended source-over, no alpha test) goes in one pass through the span loops,
// reading the texels straight from the texture's row when the sprite is unscaled.
#include "graphics/device/SoftwareSampler.h"
#include "graphics/device/SoftwareSpans.h"
#include "graphics/device/SoftwareTexture.h"

#include <cstdint>
#include <vector>

struct TriangleEdges;

struct TRasterVertex {
    float x = 0, y = 0, z = 0, rhw = 1;
    uint32_t diffuse = 0xFFFFFFFF;
    float u = 0, v = 0;
};

// The device states a draw needs, resolved once per draw call.
struct TRasterState {
    const SoftwareTexture* texture = nullptr;
    bool linear = false; // bilinear sampling, else point
    bool wrapU = true, wrapV = true;
    uint32_t colorOp = 0, colorArg1 = 0, colorArg2 = 0;
    uint32_t alphaOp = 0, alphaArg1 = 0, alphaArg2 = 0;
    bool alphaBlend = false;
    uint32_t srcBlend = 0, destBlend = 0, blendOp = 0;
    bool alphaTest = false;
    uint32_t alphaFunc = 0, alphaRef = 0;
    uint32_t cullMode = 0;
    TRect clip;    // the viewport inside the frame: where the spans' attributes are measured from
    TRect scissor; // the pixels drawn, inside clip; each gets the value it gets without the scissor
};

class SoftwareRasterizer {
public:
    void SetTarget(uint32_t* Pixels, uint32_t Width, uint32_t Height);
    void DrawTriangle(const TRasterState& State, const TRasterVertex& A, const TRasterVertex& B,
                      const TRasterVertex& C);
    // The fast path for an axis-aligned quad in strip order (top-left, top-right,
    // bottom-left, bottom-right) with one colour; false when the quad is not one.
    bool DrawQuad(const TRasterState& State, const TRasterVertex* V);
    // The span loops to draw with (the fastest this processor runs, unless told).
    void SetKernels(const TSpanKernels& Kernels) { kernels_ = &Kernels; }

    // Span attributes: texture coordinates and colour components (0..255).
    struct Attrs {
        double u = 0, v = 0, a = 0, r = 0, g = 0, b = 0;
    };

private:
    // What a draw call's spans do, decided once per call.
    struct SpanPlan {
        bool oneColor = false; // the diffuse colour is the same at every pixel
        uint32_t diffuse = 0;  // that colour
        bool modulate = false; // texel times diffuse, colour and alpha
        bool fused = false;    // oneColor, texel times diffuse, copied or source-over, no alpha test
        bool over = false;     // fused and blended source-over
    };
    static SpanPlan Plan(const TRasterState& State, bool OneColor, uint32_t Diffuse);
    struct TriangleBox {
        int64_t minX = 0, maxX = 0, minY = 0, maxY = 0; // pixels, max outside
    };
    struct Plane {
        Attrs at0, ddx, ddy; // value at (x0, y0) and steps per pixel
        double x0 = 0, y0 = 0;
    };
    void ScanTriangle(const TRasterState& State, const SpanPlan& Plan, const TriangleBox& Box,
                      const TriangleEdges& E, const Plane& P);
    // Steps: where the span samples, as TexelSteps gives it for At and Dx.
    void DrawSpan(const TRasterState& State, const SpanPlan& Plan, int32_t Y, int32_t X0, int32_t X1,
                  const Attrs& At, const Attrs& Dx, const TTexelSteps& Steps);
    // The span X0..X1 as measured there, drawn only inside the scissor: a later start moves
    // the attributes on by whole steps, as the span loops would have.
    void DrawSpanCut(const TRasterState& State, const SpanPlan& Plan, int32_t Y, int32_t X0, int32_t X1,
                     Attrs At, const Attrs& Dx, TTexelSteps Steps);
    static TTexelSteps StepsOf(const TRasterState& State, const Attrs& At, const Attrs& Dx);
    void Combine(const TRasterState& State, const SpanPlan& Plan, int32_t N, const Attrs& At,
                 const Attrs& Dx);

    uint32_t* target_ = nullptr;
    uint32_t width_ = 0, height_ = 0;
    std::vector<uint32_t> span_;
    const TSpanKernels* kernels_ = &FastestSpanKernels();
};
