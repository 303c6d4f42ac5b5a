// The fixed first-order filter and the sign-adaptive predictor that every
// level of .ape (file version 3990) runs on each channel before the
// adaptive filters.
#pragma once
#include <cstdint>

namespace ApePredictor {
// The residuals of one channel's frame (the predictor starts afresh with each
// frame). cross[n] is the other channel's input for block n; nullptr for mono.
void CompressFrame(const int32_t* own, const int32_t* cross, int32_t* residuals, int count);
}  // namespace ApePredictor
