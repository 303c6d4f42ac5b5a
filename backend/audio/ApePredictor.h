// The fixed first-order filter and the sign-adaptive predictor that every
// level of .ape (file version 3990) runs on each channel before the
// adaptive filters.
#pragma once
#include <cstdint>

class ApePredictor {
 public:
  // Every frame starts afresh.
  void Reset() { state_ = State(); }
  // The residuals of the frame's next count blocks of one channel; a frame may
  // be fed in pieces. cross[n] is the other channel's input for block n;
  // nullptr for mono.
  void Compress(const int32_t* own, const int32_t* cross, int32_t* residuals, int count);

  struct State {
    int32_t lastS = 0, lastCross = 0;
    uint32_t a[4] = {};  // filtered own samples, newest first
    uint32_t b[4] = {};  // filtered cross samples, newest first
    uint32_t cA[4] = {360, 317, uint32_t(-109), 98};
    uint32_t cB[5] = {};
  };

 private:
  State state_;
};
