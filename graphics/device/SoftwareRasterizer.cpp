#include "graphics/device/SoftwareRasterizer.h"

#include "graphics/device/SoftwareSampler.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

uint32_t Channel(uint32_t c, int shift) {
    return (c >> shift) & 0xFF;
}

uint32_t Argument(uint32_t arg, uint32_t texel, uint32_t diffuse) {
    // Stage 0: the current colour is the diffuse colour.
    return (arg & 0xF) == D3DTA_TEXTURE ? texel : diffuse;
}

uint32_t Operation(uint32_t op, uint32_t a1, uint32_t a2, uint32_t diffuse) {
    switch (op) {
    case D3DTOP_DISABLE:
        return diffuse;
    case D3DTOP_SELECTARG1:
        return a1;
    case D3DTOP_SELECTARG2:
        return a2;
    default:
        return ModulatePixel(a1, a2);
    }
}

uint32_t CombineOne(const TRasterState& s, uint32_t texel, uint32_t diffuse) {
    const uint32_t c = Operation(s.colorOp, Argument(s.colorArg1, texel, diffuse),
                                 Argument(s.colorArg2, texel, diffuse), diffuse);
    const uint32_t a = Operation(s.alphaOp, Argument(s.alphaArg1, texel, diffuse),
                                 Argument(s.alphaArg2, texel, diffuse), diffuse);
    return (c & 0xFFFFFF) | (a & 0xFF000000);
}

bool AlphaPasses(uint32_t func, uint32_t alpha, uint32_t ref) {
    switch (func) {
    case D3DCMP_NEVER:
        return false;
    case D3DCMP_LESS:
        return alpha < ref;
    case D3DCMP_EQUAL:
        return alpha == ref;
    case D3DCMP_LESSEQUAL:
        return alpha <= ref;
    case D3DCMP_GREATER:
        return alpha > ref;
    case D3DCMP_NOTEQUAL:
        return alpha != ref;
    case D3DCMP_GREATEREQUAL:
        return alpha >= ref;
    default:
        return true;
    }
}

// The blend factor for one channel (shift) of source s and destination d.
uint32_t Factor(uint32_t f, uint32_t s, uint32_t d, int shift) {
    switch (f) {
    case D3DBLEND_ZERO:
        return 0;
    case D3DBLEND_SRCCOLOR:
        return Channel(s, shift);
    case D3DBLEND_INVSRCCOLOR:
        return 255 - Channel(s, shift);
    case D3DBLEND_SRCALPHA:
        return Channel(s, 24);
    case D3DBLEND_INVSRCALPHA:
        return 255 - Channel(s, 24);
    case D3DBLEND_DESTALPHA:
        return Channel(d, 24);
    case D3DBLEND_INVDESTALPHA:
        return 255 - Channel(d, 24);
    case D3DBLEND_DESTCOLOR:
        return Channel(d, shift);
    case D3DBLEND_INVDESTCOLOR:
        return 255 - Channel(d, shift);
    default:
        return 255; // ONE
    }
}

uint32_t BlendAny(const TRasterState& st, uint32_t s, uint32_t d) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int32_t x = static_cast<int32_t>(Mul255(Channel(s, shift), Factor(st.srcBlend, s, d, shift)));
        const int32_t y = static_cast<int32_t>(Mul255(Channel(d, shift), Factor(st.destBlend, s, d, shift)));
        int32_t r;
        switch (st.blendOp) {
        case D3DBLENDOP_SUBTRACT:
            r = x - y;
            break;
        case D3DBLENDOP_REVSUBTRACT:
            r = y - x;
            break;
        case D3DBLENDOP_MIN:
            r = std::min(Channel(s, shift), Channel(d, shift));
            break;
        case D3DBLENDOP_MAX:
            r = std::max(Channel(s, shift), Channel(d, shift));
            break;
        default:
            r = x + y;
        }
        out |= static_cast<uint32_t>(std::clamp(r, 0, 255)) << shift;
    }
    return out;
}

// Additive: s * a + d per channel, saturated.
inline uint32_t BlendAdd(uint32_t s, uint32_t d) {
    const uint32_t a = s >> 24;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= std::min(255u, Mul255(Channel(s, shift), a) + Channel(d, shift)) << shift;
    return out;
}

void WriteSpan(const TRasterState& st, uint32_t* dst, const uint32_t* src, int32_t n) {
    const bool test = st.alphaTest;
    const bool plainAdd = !st.alphaBlend || st.blendOp == D3DBLENDOP_ADD;
    const bool over =
        st.alphaBlend && plainAdd && st.srcBlend == D3DBLEND_SRCALPHA && st.destBlend == D3DBLEND_INVSRCALPHA;
    const bool add =
        st.alphaBlend && plainAdd && st.srcBlend == D3DBLEND_SRCALPHA && st.destBlend == D3DBLEND_ONE;
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t s = src[i];
        if (test && !AlphaPasses(st.alphaFunc, s >> 24, st.alphaRef)) continue;
        if (!st.alphaBlend)
            dst[i] = s;
        else if (over)
            dst[i] = BlendOver(s, dst[i]);
        else if (add)
            dst[i] = BlendAdd(s, dst[i]);
        else
            dst[i] = BlendAny(st, s, dst[i]);
    }
}

// std::clamp(std::lround(v), 0, 255), where lround gives its out-of-range value (and so 0)
// for NaN and for magnitudes from 2^63 on.
uint32_t ToByte(double v) {
    if (!(v >= -0x1p63 && v < 0x1p63)) return 0;
    return static_cast<uint32_t>(std::clamp<int64_t>(RoundHalfAway(v), 0, 255));
}

uint32_t PackColor(const SoftwareRasterizer::Attrs& a) {
    return ToByte(a.a) << 24 | ToByte(a.r) << 16 | ToByte(a.g) << 8 | ToByte(a.b);
}

SoftwareRasterizer::Attrs AttrsOf(const TRasterVertex& v) {
    return {v.u,
            v.v,
            static_cast<double>(Channel(v.diffuse, 24)),
            static_cast<double>(Channel(v.diffuse, 16)),
            static_cast<double>(Channel(v.diffuse, 8)),
            static_cast<double>(Channel(v.diffuse, 0))};
}

// Coordinates far outside any frame are pulled in so that fixed point cannot overflow.
constexpr double CoordLimit = 1e6;
double Limit(double v) {
    return std::clamp(v, -CoordLimit, CoordLimit);
}

} // namespace

void SoftwareRasterizer::SetTarget(uint32_t* Pixels, uint32_t Width, uint32_t Height) {
    target_ = Pixels;
    width_ = Width;
    height_ = Height;
    span_.resize(Width + 1);
}

SoftwareRasterizer::SpanPlan SoftwareRasterizer::Plan(const TRasterState& st, bool oneColor,
                                                      uint32_t diffuse) {
    SpanPlan plan;
    plan.oneColor = oneColor;
    plan.diffuse = diffuse;
    plan.modulate = st.colorOp == D3DTOP_MODULATE && st.alphaOp == D3DTOP_MODULATE &&
                    (st.colorArg1 & 0xF) == D3DTA_TEXTURE && (st.colorArg2 & 0xF) != D3DTA_TEXTURE &&
                    (st.alphaArg1 & 0xF) == D3DTA_TEXTURE && (st.alphaArg2 & 0xF) != D3DTA_TEXTURE;
    plan.over = st.alphaBlend && st.blendOp == D3DBLENDOP_ADD && st.srcBlend == D3DBLEND_SRCALPHA &&
                st.destBlend == D3DBLEND_INVSRCALPHA;
    plan.fused = oneColor && plan.modulate && !st.alphaTest && (!st.alphaBlend || plan.over);
    return plan;
}

void SoftwareRasterizer::Combine(const TRasterState& st, const SpanPlan& plan, int32_t n, const Attrs& at,
                                 const Attrs& dx) {
    uint32_t* s = span_.data();
    if (plan.oneColor && plan.modulate) {
        if (plan.diffuse != 0xFFFFFFFF) kernels_->Copy(s, s, n, plan.diffuse);
        return;
    }
    if (plan.oneColor) {
        for (int32_t i = 0; i < n; ++i) s[i] = CombineOne(st, s[i], plan.diffuse);
        return;
    }
    Attrs c = at;
    for (int32_t i = 0; i < n; ++i) {
        s[i] = CombineOne(st, s[i], PackColor(c));
        c.a += dx.a, c.r += dx.r, c.g += dx.g, c.b += dx.b;
    }
}

TTexelSteps SoftwareRasterizer::StepsOf(const TRasterState& st, const Attrs& at, const Attrs& dx) {
    if (!st.texture) return {};
    const double w = st.texture->Width(), h = st.texture->Height();
    return TexelSteps(st.linear, at.u * w, at.v * h, dx.u * w, dx.v * h);
}

void SoftwareRasterizer::DrawSpan(const TRasterState& st, const SpanPlan& plan, int32_t y, int32_t x0,
                                  int32_t x1, const Attrs& at, const Attrs& dx, const TTexelSteps& steps) {
    const int32_t n = x1 - x0;
    if (n <= 0) return;
    uint32_t* s = span_.data();
    const uint32_t* texels = s;
    if (st.texture) {
        const uint32_t* run = plan.fused ? TexelRun(*st.texture, st.linear, st.wrapV, steps, n) : nullptr;
        if (run)
            texels = run;
        else
            SampleSpan(*st.texture, st.linear, st.wrapU, st.wrapV, steps, n, s);
    } else {
        std::fill(s, s + n, 0xFFFFFFFFu); // no texture: the texel is white
    }
    uint32_t* dst = target_ + static_cast<size_t>(y) * width_ + x0;
    if (plan.fused) {
        if (plan.over)
            kernels_->Over(dst, texels, n, plan.diffuse);
        else
            kernels_->Copy(dst, texels, n, plan.diffuse);
        return;
    }
    Combine(st, plan, n, at, dx);
    WriteSpan(st, dst, s, n);
}

void SoftwareRasterizer::DrawSpanCut(const TRasterState& st, const SpanPlan& plan, int32_t y, int32_t x0,
                                     int32_t x1, Attrs at, const Attrs& dx, TTexelSteps steps) {
    if (y < st.scissor.Top || y >= st.scissor.Bottom) return;
    const int32_t left = std::max(x0, st.scissor.Left), right = std::min(x1, st.scissor.Right);
    if (left >= right) return;
    const int32_t skip = left - x0;
    if (skip > 0) {
        // The sampler steps in fixed point and the colour adds its step once a pixel: the
        // same sums taken skip times give the values the uncut span has at left.
        steps.U += steps.DU * skip;
        steps.V += steps.DV * skip;
        if (!plan.oneColor)
            for (int32_t i = 0; i < skip; ++i) at.a += dx.a, at.r += dx.r, at.g += dx.g, at.b += dx.b;
    }
    DrawSpan(st, plan, y, left, right, at, dx, steps);
}

bool SoftwareRasterizer::DrawQuad(const TRasterState& st, const TRasterVertex* v) {
    const bool aligned = v[0].x == v[2].x && v[1].x == v[3].x && v[0].y == v[1].y && v[2].y == v[3].y &&
                         v[1].x > v[0].x && v[2].y > v[0].y;
    const bool mapped = v[0].u == v[2].u && v[1].u == v[3].u && v[0].v == v[1].v && v[2].v == v[3].v;
    const bool oneColor =
        v[0].diffuse == v[1].diffuse && v[0].diffuse == v[2].diffuse && v[0].diffuse == v[3].diffuse;
    // The quad winds clockwise on screen, which only CULL_CW removes.
    if (!aligned || !mapped || !oneColor || st.cullMode == D3DCULL_CW) return false;
    const double x0 = Limit(v[0].x), x1 = Limit(v[1].x), y0 = Limit(v[0].y), y1 = Limit(v[2].y);
    if (!(x1 > x0) || !(y1 > y0)) return false;
    // Pixel centres lie on integers; a pixel is inside when left <= centre < right.
    const auto left = std::max<int64_t>(static_cast<int64_t>(std::ceil(x0)), st.clip.Left);
    const auto right = std::min<int64_t>(static_cast<int64_t>(std::ceil(x1)), st.clip.Right);
    const auto top = std::max<int64_t>(static_cast<int64_t>(std::ceil(y0)), st.clip.Top);
    const auto bottom = std::min<int64_t>(static_cast<int64_t>(std::ceil(y1)), st.clip.Bottom);
    if (left >= right || top >= bottom) return true;
    if (std::max<int64_t>(left, st.scissor.Left) >= std::min<int64_t>(right, st.scissor.Right) ||
        std::max<int64_t>(top, st.scissor.Top) >= std::min<int64_t>(bottom, st.scissor.Bottom))
        return true;
    Attrs dx;
    dx.u = (static_cast<double>(v[1].u) - v[0].u) / (x1 - x0);
    const double dvdy = (static_cast<double>(v[2].v) - v[0].v) / (y1 - y0);
    Attrs at = AttrsOf(v[0]);
    at.u = v[0].u + (static_cast<double>(left) - x0) * dx.u;
    const SpanPlan plan = Plan(st, true, v[0].diffuse);
    // Every row steps alike; only where it starts in V differs.
    TTexelSteps steps = StepsOf(st, at, dx);
    const double h = st.texture ? st.texture->Height() : 0;
    // Rows are measured from their own y: the scissor's rows are simply the ones drawn.
    for (int64_t y = std::max<int64_t>(top, st.scissor.Top); y < std::min<int64_t>(bottom, st.scissor.Bottom);
         ++y) {
        at.v = v[0].v + (static_cast<double>(y) - y0) * dvdy;
        if (st.texture) steps.V = TexelStart(st.linear, at.v * h);
        DrawSpanCut(st, plan, static_cast<int32_t>(y), static_cast<int32_t>(left),
                    static_cast<int32_t>(right), at, dx, steps);
    }
    return true;
}

// The three edge functions of a triangle in 24.8 fixed point, at the first pixel of the
// box and their steps per pixel. A pixel on an edge belongs to the triangle only when
// the edge is a top or a left one.
struct TriangleEdges {
    int64_t e0[3], stepX[3], stepY[3], bias[3];
    bool Inside(const int64_t (&e)[3]) const { return e[0] >= bias[0] && e[1] >= bias[1] && e[2] >= bias[2]; }
};

static TriangleEdges MakeEdges(const double (&xs)[3], const double (&ys)[3], int64_t minX, int64_t minY) {
    const int64_t X[3] = {RoundHalfAway(xs[0] * 256), RoundHalfAway(xs[1] * 256), RoundHalfAway(xs[2] * 256)};
    const int64_t Y[3] = {RoundHalfAway(ys[0] * 256), RoundHalfAway(ys[1] * 256), RoundHalfAway(ys[2] * 256)};
    TriangleEdges edges;
    for (int k = 0; k < 3; ++k) {
        const int q = (k + 1) % 3;
        const int64_t dx = X[q] - X[k], dy = Y[q] - Y[k];
        edges.bias[k] = (dy == 0 && dx > 0) || dy < 0 ? 0 : 1;
        edges.stepX[k] = -dy * 256;
        edges.stepY[k] = dx * 256;
        edges.e0[k] = dx * (minY * 256 - Y[k]) - dy * (minX * 256 - X[k]);
    }
    return edges;
}

namespace {
constexpr double SoftwareRasterizer::Attrs::*AllAttrs[] = {
    &SoftwareRasterizer::Attrs::u, &SoftwareRasterizer::Attrs::v, &SoftwareRasterizer::Attrs::a,
    &SoftwareRasterizer::Attrs::r, &SoftwareRasterizer::Attrs::g, &SoftwareRasterizer::Attrs::b};

} // namespace

void SoftwareRasterizer::DrawTriangle(const TRasterState& st, const TRasterVertex& A, const TRasterVertex& B,
                                      const TRasterVertex& C) {
    for (const auto* p : {&A, &B, &C})
        if (!std::isfinite(p->x) || !std::isfinite(p->y)) return;
    const TRasterVertex* v[3] = {&A, &B, &C};
    double xs[3] = {Limit(A.x), Limit(B.x), Limit(C.x)}, ys[3] = {Limit(A.y), Limit(B.y), Limit(C.y)};
    double area = (xs[1] - xs[0]) * (ys[2] - ys[0]) - (ys[1] - ys[0]) * (xs[2] - xs[0]);
    // Positive area: clockwise on screen (y grows downwards).
    if (area == 0 || (st.cullMode == D3DCULL_CCW && area < 0) || (st.cullMode == D3DCULL_CW && area > 0))
        return;
    if (area < 0) {
        std::swap(v[1], v[2]);
        std::swap(xs[1], xs[2]);
        std::swap(ys[1], ys[2]);
        area = -area;
    }
    TriangleBox box;
    box.minX =
        std::max<int64_t>(static_cast<int64_t>(std::ceil(std::min({xs[0], xs[1], xs[2]}))), st.clip.Left);
    box.maxX = std::min<int64_t>(static_cast<int64_t>(std::floor(std::max({xs[0], xs[1], xs[2]}))) + 1,
                                 st.clip.Right);
    box.minY =
        std::max<int64_t>(static_cast<int64_t>(std::ceil(std::min({ys[0], ys[1], ys[2]}))), st.clip.Top);
    box.maxY = std::min<int64_t>(static_cast<int64_t>(std::floor(std::max({ys[0], ys[1], ys[2]}))) + 1,
                                 st.clip.Bottom);
    if (box.minX >= box.maxX || box.minY >= box.maxY) return;
    // Attribute planes: value = at(a) + ddx * (x - ax) + ddy * (y - ay).
    Plane plane{AttrsOf(*v[0]), {}, {}, xs[0], ys[0]};
    const Attrs fb = AttrsOf(*v[1]), fc = AttrsOf(*v[2]);
    for (auto m : AllAttrs) {
        const double d1 = fb.*m - plane.at0.*m, d2 = fc.*m - plane.at0.*m;
        plane.ddx.*m = (d1 * (ys[2] - ys[0]) - d2 * (ys[1] - ys[0])) / area;
        plane.ddy.*m = (d2 * (xs[1] - xs[0]) - d1 * (xs[2] - xs[0])) / area;
    }
    // One colour at all three corners is that colour at every pixel: its planes are flat.
    const bool oneColor = v[0]->diffuse == v[1]->diffuse && v[0]->diffuse == v[2]->diffuse;
    ScanTriangle(st, Plan(st, oneColor, v[0]->diffuse), box, MakeEdges(xs, ys, box.minX, box.minY), plane);
}

void SoftwareRasterizer::ScanTriangle(const TRasterState& st, const SpanPlan& spanPlan,
                                      const TriangleBox& box, const TriangleEdges& edges,
                                      const Plane& plane) {
    int64_t row[3] = {edges.e0[0], edges.e0[1], edges.e0[2]};
    for (int64_t y = box.minY; y < box.maxY; ++y) {
        if (y < st.scissor.Top || y >= st.scissor.Bottom) {
            for (int k = 0; k < 3; ++k) row[k] += edges.stepY[k];
            continue;
        }
        int64_t e[3] = {row[0], row[1], row[2]};
        auto step = [&] {
            for (int k = 0; k < 3; ++k) e[k] += edges.stepX[k];
        };
        for (int64_t x = box.minX; x < box.maxX;) {
            for (; x < box.maxX && !edges.Inside(e); ++x) step();
            const int64_t start = x;
            for (; x < box.maxX && edges.Inside(e); ++x) step();
            if (x == start) continue;
            Attrs at;
            const double px = static_cast<double>(start) - plane.x0, py = static_cast<double>(y) - plane.y0;
            for (auto m : AllAttrs) at.*m = plane.at0.*m + plane.ddx.*m * px + plane.ddy.*m * py;
            DrawSpanCut(st, spanPlan, static_cast<int32_t>(y), static_cast<int32_t>(start),
                        static_cast<int32_t>(x), at, plane.ddx, StepsOf(st, at, plane.ddx));
        }
        for (int k = 0; k < 3; ++k) row[k] += edges.stepY[k];
    }
}
