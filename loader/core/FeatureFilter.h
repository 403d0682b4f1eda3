// Which input objects a run converts: /TYPE, /LAYER (or /F:), the block list
// of /BLOCKS and /HOLES. Every reader asks the settings' filter about each
// object through a CFeatureKey.
#pragma once

#include <string>
#include <string_view>

#include "loader/core/NamePatternList.h"

enum EFeatureKind : int {
    kFeaturePoint = 1,
    kFeatureLine = 2,
    kFeaturePolygon = 3,
    kFeatureOther = 4,
};

struct CFeatureKey {
    const char* layer = nullptr;     // null when the input has no layers
    std::string block;               // empty when the object is not part of a block
    const double* extent = nullptr;  // minimum x, minimum y, maximum x, maximum y; may be null
    int kind = kFeatureOther;
};

class CFeatureFilter {
public:
    CFeatureFilter() = default;
    virtual ~CFeatureFilter() = default;

    void SetBlocks(std::string_view text) { blocks_.SetFromText(text); }
    void SetLayers(std::string_view text) { layers_.SetFromText(text); }
    // All flags off, both lists empty.
    void Reset();
    // 1 accept, 0 reject.
    int Accept(const CFeatureKey* key) const;

    int pointsEnabled = 0;
    int linesEnabled = 0;
    int polygonsEnabled = 0;
    int holes = 0;

    const CNamePatternList& Blocks() const { return blocks_; }
    const CNamePatternList& Layers() const { return layers_; }

private:
    CNamePatternList blocks_;
    CNamePatternList layers_;
};
