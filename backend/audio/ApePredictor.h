// The fixed first-order filter and the sign-adaptive predictor that every
// level of .ape (file version 3990) runs on each channel before the
// adaptive filters. All sums wrap at 32 bits, as the decoders expect, so
// they are done in unsigned arithmetic.
#pragma once
#include <cstdint>

class ApePredictor {
 public:
  ApePredictor() { Reset(); }
  // Starts a frame.
  void Reset();
  // Returns the residual of sample s; cross is the other channel's input for
  // this block (0 for mono).
  int32_t Compress(int32_t s, int32_t cross) {
    const uint32_t a = uint32_t(s - Scaled(lastS_));
    const uint32_t b = uint32_t(cross - Scaled(lastCross_));
    lastS_ = s;
    lastCross_ = cross;

    // The own side predicts from the previous filtered value, the cross side
    // from the current one.
    const int32_t a0 = int32_t(a_[0]);
    const int32_t a1 = int32_t(a_[0] - a_[1]);
    const int32_t a2 = int32_t(a_[1] - a_[2]);
    const int32_t a3 = int32_t(a_[2] - a_[3]);
    const int32_t b0 = int32_t(b);
    const int32_t b1 = int32_t(b - b_[0]);
    const int32_t b2 = int32_t(b_[0] - b_[1]);
    const int32_t b3 = int32_t(b_[1] - b_[2]);
    const int32_t b4 = int32_t(b_[2] - b_[3]);
    const uint32_t predA = uint32_t(a0) * cA_[0] + uint32_t(a1) * cA_[1] + uint32_t(a2) * cA_[2] +
                           uint32_t(a3) * cA_[3];
    const uint32_t predB = uint32_t(b0) * cB_[0] + uint32_t(b1) * cB_[1] + uint32_t(b2) * cB_[2] +
                           uint32_t(b3) * cB_[3] + uint32_t(b4) * cB_[4];
    const int32_t prediction = int32_t(predA + uint32_t(int32_t(predB) >> 1));
    const int32_t residual = int32_t(a - uint32_t(prediction >> 10));

    // Sign-sign adaptation.
    const int g = Sign(residual);
    cA_[0] += g * Sign(a0);
    cA_[1] += g * Sign(a1);
    cA_[2] += g * Sign(a2);
    cA_[3] += g * Sign(a3);
    cB_[0] += g * Sign(b0);
    cB_[1] += g * Sign(b1);
    cB_[2] += g * Sign(b2);
    cB_[3] += g * Sign(b3);
    cB_[4] += g * Sign(b4);
    a_[3] = a_[2];
    a_[2] = a_[1];
    a_[1] = a_[0];
    a_[0] = a;
    b_[3] = b_[2];
    b_[2] = b_[1];
    b_[1] = b_[0];
    b_[0] = b;
    return residual;
  }

 private:
  static int32_t Scaled(int32_t v) { return int32_t(uint32_t(v) * 31u) >> 5; }
  static int Sign(int32_t v) { return (v > 0) - (v < 0); }

  int32_t lastS_, lastCross_;
  uint32_t a_[4];  // filtered own samples, newest first
  uint32_t b_[4];  // filtered cross samples, newest first
  uint32_t cA_[4];
  uint32_t cB_[5];
};
