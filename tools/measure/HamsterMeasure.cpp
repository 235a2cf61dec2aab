#include "tools/measure/HamsterMeasure.h"

#include "base/Random.h"
#include "game/Board.h"
#include "game/BoardReach.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

constexpr int32_t BoardLeft = 20;
constexpr int32_t BoardTop = 20;

THamsterSizes SizesFor(THamsterCandidate c, bool turnedPictures) {
    const THamsterSize side{c.Width, c.Height};
    const THamsterSize turned = turnedPictures ? THamsterSize{c.Height, c.Width} : side;
    return {side, turned, side, turned};
}

std::string Percent(int32_t part, int32_t whole) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f %%", whole > 0 ? 100.0 * part / whole : 0.0);
    return buf;
}

} // namespace

THamsterShare MeasureHamster(THamsterCandidate size, int32_t boards, uint64_t seed) {
    THamsterShare share;
    share.Size = size;
    TRandom random(seed);
    const THamsterSizes turning = SizesFor(size, true);
    // With every picture the same size a turn changes nothing: the hamster keeps facing
    // right or left as far as the lines are concerned.
    const THamsterSizes straight = SizesFor(size, false);
    for (int32_t i = 0; i < boards; ++i) {
        const TBoard board = GenerateBoard(size.Width, size.Height, 1, BoardLeft, BoardTop, random);
        ++share.Boards;
        const auto path = FoodPath(board, turning);
        if (!path) continue;
        ++share.Reachable;
        share.TurnsOnShortest += std::count(path->begin(), path->end(), TReachAction::Turn);
        if (FoodPath(board, straight)) ++share.WithoutTurning;
    }
    return share;
}

bool ParseCandidate(const std::string& text, THamsterCandidate& out) {
    int w = 0, h = 0;
    char x = 0, extra = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &extra) != 3 || x != 'x' || w <= 0 || h <= 0)
        return false;
    out = {w, h};
    return true;
}

std::string FormatShareTable(const std::vector<THamsterShare>& rows) {
    std::ostringstream out;
    out << "| hamster (W x H) | boards | food reachable | without turning | needs a turn | turns on the "
           "shortest way (mean) |\n";
    out << "|---|---|---|---|---|---|\n";
    for (const THamsterShare& r : rows) {
        char mean[32];
        std::snprintf(mean, sizeof mean, "%.2f",
                      r.Reachable > 0 ? static_cast<double>(r.TurnsOnShortest) / r.Reachable : 0.0);
        out << "| " << r.Size.Width << " x " << r.Size.Height << " | " << r.Boards << " | "
            << Percent(r.Reachable, r.Boards) << " | " << Percent(r.WithoutTurning, r.Boards) << " | "
            << Percent(r.Reachable - r.WithoutTurning, r.Boards) << " | " << mean << " |\n";
    }
    return out.str();
}
