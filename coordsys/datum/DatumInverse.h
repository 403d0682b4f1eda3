// The inverse every shift without a closed form uses: run the forward on a
// guess, move the guess by what it missed, until it lands on the input.
#pragma once

#include <cmath>

#include "coordsys/core/CsCore.h"

struct CsInverseLimits {
    int rounds;
    double tolerance;   // degrees; a smaller miss is not added to the guess
    double acceptance;  // degrees; beyond it an exhausted iteration fails
    int message;        // reported when the rounds run out
    // What a forward's warning (a positive result) does: end the iteration
    // with the output at the guess, end it with the output at the input, or
    // go on and make the final result 2.
    enum Warning { kReturnGuess, kReturnInput, kContinueAsTwo } warning;
};

// 0 converged; a positive result as `limits.warning` says, or 1 when the
// rounds ran out within the acceptance; negative failed (the output holds
// the input). The output height is the input height.
template <class Forward>
int CS_iterateInverse(double out[3], const double in[3], const CsInverseLimits& limits,
                      Forward forward) {
    for (int i = 0; i < 3; ++i) out[i] = in[i];
    double guess[3] = {in[0], in[1], in[2]};
    double missLon = 0.0, missLat = 0.0;
    int result = 0;
    auto takeGuess = [&] {
        out[0] = guess[0];
        out[1] = guess[1];
    };
    for (int round = 0; round < limits.rounds; ++round) {
        double shifted[3];
        const int status = forward(shifted, guess);
        if (status < 0) return status;
        if (status > 0) {
            if (limits.warning == CsInverseLimits::kReturnGuess) {
                takeGuess();
                return status;
            }
            if (limits.warning == CsInverseLimits::kReturnInput) return status;
            result = 2;
        }
        missLon = in[0] - shifted[0];
        missLat = in[1] - shifted[1];
        const bool lonDone = std::fabs(missLon) <= limits.tolerance;
        const bool latDone = std::fabs(missLat) <= limits.tolerance;
        if (lonDone && latDone) {
            takeGuess();
            return result;
        }
        if (!lonDone) guess[0] += missLon;
        if (!latDone) guess[1] += missLat;
    }
    CS_reportError(limits.message);
    if (std::fabs(missLon) > limits.acceptance || std::fabs(missLat) > limits.acceptance) {
        return -1;
    }
    takeGuess();
    return 1;
}

// Moves a point by a grid's shifts in seconds of arc, the longitude shift
// counted positive west.
inline void CS_applyGridShift(double out[2], const double in[2], const double shift[2]) {
    out[0] = in[0] - shift[0] / 3600.0;
    out[1] = in[1] + shift[1] / 3600.0;
}

// The grid families' inverse of their forward: at most 9 rounds to 1e-9
// degree; a forward's warning is returned with the output at the input (the
// family then tries its fallback); 1 with 126 reported when the rounds run out.
template <class Forward>
int CS_gridInverse(double out[3], const double in[3], Forward forward) {
    constexpr CsInverseLimits kLimits = {9, 1e-9, HUGE_VAL, 126, CsInverseLimits::kReturnInput};
    return CS_iterateInverse(out, in, kLimits, forward);
}
