// What one conversion walks with: the current entity, the nesting state and
// the end flag it moves, and its three switches.
#pragma once

#include "readers/plugin/ForeignReader.h"

struct CForeignReader::SWalk {
    const CFgnEntity*& current;
    CCellNestingState& nesting;
    int& end;
    bool explode;
    bool makeStyles;
    // Drawing or measuring a block: no filter, and the walk ends with the block.
    bool symbolMode;

    // Texts count as their outlines while a block's extent is measured.
    bool BoxMode() const { return symbolMode && !makeStyles; }
};
