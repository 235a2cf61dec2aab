#include "game/BoardReach.h"

#include <algorithm>
#include <deque>

namespace {

struct TNode {
    int32_t Col, Row, Dir;
};

int32_t TurnedDir(int32_t dir) {
    return (dir == DirRight || dir == DirLeft) ? DirUp : DirRight;
}

// The facing after a move, as the movement step sets it.
int32_t MovedDir(TReachAction action, int32_t dir) {
    switch (action) {
    case TReachAction::Right:
        return dir == DirLeft ? DirRight : dir;
    case TReachAction::Left:
        return dir == DirRight ? DirLeft : dir;
    case TReachAction::Down:
        return dir == DirUp ? DirDown : dir;
    case TReachAction::Up:
        return dir == DirDown ? DirUp : dir;
    case TReachAction::Turn:
        return TurnedDir(dir);
    }
    return dir;
}

struct TSearch {
    const TReachQuery& Q;
    int32_t Cols, Rows;
    std::vector<int32_t> Prev; // previous node index, -1 for none
    std::vector<int8_t> Via;   // action that led here, -1 unvisited

    int32_t Index(const TNode& n) const { return (n.Col * Rows + n.Row) * 4 + n.Dir; }
    TNode Node(int32_t i) const { return {i / 4 / Rows, (i / 4) % Rows, i % 4}; }

    bool Holds(int32_t col, int32_t row, int32_t dir) const {
        const THamsterSize& s = Q.Sizes[static_cast<size_t>(dir)];
        return CellHolds(CellWidth(*Q.XLines, col), CellHeight(*Q.YLines, row), s.Width, s.Height);
    }
    bool IsTarget(int32_t col, int32_t row) const { return col == Q.TargetCol && row == Q.TargetRow; }
    bool Blocked(int32_t col, int32_t row) const {
        return Q.Blocked && (*Q.Blocked)[static_cast<size_t>(col)][static_cast<size_t>(row)];
    }

    // The node an action leads to, or nothing when the action is not allowed there.
    std::optional<TNode> Step(const TNode& n, TReachAction a) const {
        TNode m{n.Col, n.Row, MovedDir(a, n.Dir)};
        if (a == TReachAction::Turn) return m;
        if (a == TReachAction::Right) ++m.Col;
        if (a == TReachAction::Left) --m.Col;
        if (a == TReachAction::Down) ++m.Row;
        if (a == TReachAction::Up) --m.Row;
        if (m.Col < 0 || m.Row < 0 || m.Col >= Cols || m.Row >= Rows) return std::nullopt;
        if (IsTarget(m.Col, m.Row)) return m;
        if (Blocked(m.Col, m.Row) || !Holds(m.Col, m.Row, m.Dir)) return std::nullopt;
        return m;
    }

    std::vector<TReachAction> PathTo(int32_t i) const {
        std::vector<TReachAction> path;
        while (Prev[static_cast<size_t>(i)] >= 0) {
            path.push_back(static_cast<TReachAction>(Via[static_cast<size_t>(i)]));
            i = Prev[static_cast<size_t>(i)];
        }
        std::reverse(path.begin(), path.end());
        return path;
    }
};

} // namespace

std::optional<std::vector<TReachAction>> FindPath(const TReachQuery& query) {
    if (!query.XLines || !query.YLines || query.XLines->size() < 2 || query.YLines->size() < 2)
        return std::nullopt;
    TSearch s{query,
              static_cast<int32_t>(query.XLines->size()) - 1,
              static_cast<int32_t>(query.YLines->size()) - 1,
              {},
              {}};
    const TNode start{query.StartCol, query.StartRow, query.StartDir};
    if (start.Col < 0 || start.Row < 0 || start.Col >= s.Cols || start.Row >= s.Rows || start.Dir < 0 ||
        start.Dir > 3)
        return std::nullopt;
    const size_t nodes = static_cast<size_t>(s.Cols) * static_cast<size_t>(s.Rows) * 4;
    s.Prev.assign(nodes, -1);
    s.Via.assign(nodes, -1);
    std::deque<int32_t> queue{s.Index(start)};
    s.Via[static_cast<size_t>(s.Index(start))] = 0;
    while (!queue.empty()) {
        const int32_t i = queue.front();
        queue.pop_front();
        const TNode n = s.Node(i);
        if (s.IsTarget(n.Col, n.Row)) return s.PathTo(i);
        for (int a = 0; a < 5; ++a) {
            const auto next = s.Step(n, static_cast<TReachAction>(a));
            if (!next) continue;
            const int32_t j = s.Index(*next);
            if (s.Via[static_cast<size_t>(j)] >= 0) continue;
            s.Via[static_cast<size_t>(j)] = static_cast<int8_t>(a);
            s.Prev[static_cast<size_t>(j)] = i;
            queue.push_back(j);
        }
    }
    return std::nullopt;
}

std::optional<std::vector<TReachAction>> FoodPath(const TBoard& board, const THamsterSizes& sizes) {
    TReachQuery q;
    q.XLines = &board.XLines;
    q.YLines = &board.YLines;
    q.Sizes = sizes;
    q.StartCol = board.Hamster.Col;
    q.StartRow = board.Hamster.Row;
    q.StartDir = board.Hamster.Dir;
    q.TargetCol = board.Food.Col;
    q.TargetRow = board.Food.Row;
    return FindPath(q);
}

bool FoodReachable(const TBoard& board, const THamsterSizes& sizes) {
    return FoodPath(board, sizes).has_value();
}
