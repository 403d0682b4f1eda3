#include "readers/plugin/CellNesting.h"

CPoint2d CCellNestingState::Transform(double x, double y) const {
    for (int i = depth_ - 1; i >= 0; --i) {
        const SLevel& level = levels_[i];
        const double tx = level.matrix[0][0] * x + level.matrix[0][1] * y + level.x;
        const double ty = level.matrix[1][0] * x + level.matrix[1][1] * y + level.y;
        x = tx;
        y = ty;
    }
    return {x, y};
}

const CFgnEntity* CCellNestingState::Enter(const FgnMatrix& matrix, double x, double y,
                                           const EntityList& entities) {
    if (depth_ >= kMaxDepth || entities.empty()) return nullptr;
    if (depth_ > 0) ++levels_[depth_ - 1].position;
    SLevel& level = levels_[depth_++];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) level.matrix[r][c] = matrix[r][c];
    level.x = x;
    level.y = y;
    level.position = entities.begin();
    level.end = entities.end();
    return *level.position;
}

const CFgnEntity* CCellNestingState::Advance() {
    if (depth_ == 0) return nullptr;
    ++levels_[depth_ - 1].position;
    // An outer level already stands past the instance it expanded.
    while (levels_[depth_ - 1].position == levels_[depth_ - 1].end) {
        levels_[--depth_] = SLevel{};
        if (depth_ == 0) return nullptr;
    }
    return *levels_[depth_ - 1].position;
}
