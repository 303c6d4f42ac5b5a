#include "backend/audio/ApePredictor.h"

void ApePredictor::Reset() {
  lastS_ = lastCross_ = 0;
  for (int k = 0; k < 4; ++k) a_[k] = b_[k] = 0;
  static constexpr int32_t kInitialA[4] = {360, 317, -109, 98};
  for (int k = 0; k < 4; ++k) cA_[k] = uint32_t(kInitialA[k]);
  for (int k = 0; k < 5; ++k) cB_[k] = 0;
}
