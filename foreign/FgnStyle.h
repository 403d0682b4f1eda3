// How an entity is drawn, one style class per kind of entity. A colour is 32
// bits: red in bits 0-7, green 8-15, blue 16-23; 0xFF000000 means no colour
// and bits 24-31 carry nothing else a reader uses. Angles are in degrees,
// sizes in the source's units but the line weight, the source's own number.
// Names (symbol, patterns, font) are null or empty for none; their getters
// answer err 4 and null unless overridden.
#pragma once

#include "foreign/FgnErr.h"

class CFgnStylePnt : public CFgnObject {
public:
    // The symbol's colour, rotation and size (width and height alike); returns its name.
    virtual char const* GetDefinition(std::int32_t& colour, double& rotation, std::int16_t& size,
                                      TFgnFmtErr& err) const = 0;
};

class CFgnStyleBlk : public CFgnObject {
public:
    // The instance's colour.
    virtual TFgnFmtErr GetDefinition(std::int32_t& colour) const = 0;
};

class CFgnStyleLine : public CFgnObject {
public:
    virtual TFgnFmtErr GetDefinition(std::int32_t& colour, std::int16_t& weight) const = 0;
    virtual char const* GetLinePattern(TFgnFmtErr& err) const;
};

class CFgnStylePly : public CFgnObject {
public:
    // The third colour has no use in the loader.
    virtual TFgnFmtErr GetDefinition(std::int32_t& edgeColour, std::int32_t& fillColour,
                                     std::int32_t& third, std::int16_t& weight) const = 0;
    virtual char const* GetFillPattern(TFgnFmtErr& err) const;
    // The edge's pattern.
    virtual char const* GetLinePattern(TFgnFmtErr& err) const;
};

class CFgnStyleText : public CFgnObject {
public:
    // The second colour and the last value have no use in the loader; the
    // three flags pass to its text style in this order.
    virtual TFgnFmtErr GetDefinition(double& height, std::int32_t& colour, std::int32_t& second,
                                     TFgnBool& flag1, TFgnBool& flag2, TFgnBool& flag3,
                                     TFgnJustification& justification, double& angle,
                                     double& last) const = 0;
    virtual char const* GetFont(TFgnFmtErr& err) const;
};
