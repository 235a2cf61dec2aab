#pragma once
// Texture sampling of the software device: a row of texels, point or bilinear, with
// wrap or clamp addressing, stepped in 16.16 fixed point across the span.
#include "graphics/device/SoftwareTexture.h"

#include <cstdint>

// Fills Out[0..N) with ARGB texels along a span that starts at texel coordinates
// (U, V) (texel units; texel i's centre is at i + 0.5) and moves by (DU, DV) per pixel.
void SampleSpan(const SoftwareTexture& Texture, bool Linear, bool WrapU, bool WrapV, double U, double V,
                double DU, double DV, int32_t N, uint32_t* Out);
