// The walk through exploded block instances: up to ten levels, each holding
// its instance's transform and the position in its block's entities.
#pragma once

#include <list>

#include "foreign/Foreign.h"
#include "loader/core/Geometry2d.h"

class CCellNestingState {
public:
    // An instance met with this many levels in use is not expanded.
    static constexpr int kMaxDepth = 10;
    using EntityList = std::list<const CFgnEntity*>;

    CCellNestingState() = default;
    virtual ~CCellNestingState() = default;

    int GetDepth() const { return depth_; }
    // Through every level's transform, innermost first.
    CPoint2d Transform(double x, double y) const;
    // Enters a block whose entities are not empty: the position of the level
    // standing on the instance moves past it, and a level for the instance
    // begins at the block's first entity, which is returned.
    const CFgnEntity* Enter(const FgnMatrix& matrix, double x, double y,
                            const EntityList& entities);
    // Moves on one entity, leaving every level that reaches its end; the
    // entity now current, or null when no level is left.
    const CFgnEntity* Advance();

private:
    struct SLevel {
        FgnMatrix matrix = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        double x = 0.0;
        double y = 0.0;
        EntityList::const_iterator position;
        EntityList::const_iterator end;
    };

    SLevel levels_[kMaxDepth];
    int depth_ = 0;
};
