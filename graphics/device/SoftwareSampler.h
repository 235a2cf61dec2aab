#pragma once
// Texture sampling of the software device: a row of texels, point or bilinear, with
// wrap or clamp addressing, stepped in 16.16 fixed point across the span.
#include "graphics/device/SoftwareTexture.h"

#include <cstdint>

// Where a span samples: its first pixel's texel coordinates and the step per pixel, in
// 16.16 fixed point.
struct TTexelSteps {
    int64_t U = 0, V = 0, DU = 0, DV = 0;
};

// The steps of a span that starts at texel coordinates (U, V) (texel units; texel i's
// centre is at i + 0.5) and moves by (DU, DV) per pixel.
TTexelSteps TexelSteps(bool Linear, double U, double V, double DU, double DV);
// One start coordinate as TexelSteps gives it (for a quad's rows, which differ only in V).
int64_t TexelStart(bool Linear, double T);

// Fills Out[0..N) with ARGB texels along the span.
void SampleSpan(const SoftwareTexture& Texture, bool Linear, bool WrapU, bool WrapV, const TTexelSteps& Steps,
                int32_t N, uint32_t* Out);

// The span's N texels read straight from the texture when they are what SampleSpan would
// give: A8R8G8B8, point sampling, one texel per pixel along one row, all inside the row.
// nullptr otherwise.
const uint32_t* TexelRun(const SoftwareTexture& Texture, bool Linear, bool WrapV, const TTexelSteps& Steps,
                         int32_t N);

// std::llround for |v| < 2^53, without the library call.
inline int64_t RoundHalfAway(double v) {
    const auto t = static_cast<int64_t>(v); // towards zero; v - t is exact
    const double f = v - static_cast<double>(t);
    return f >= 0.5 ? t + 1 : (f <= -0.5 ? t - 1 : t);
}
