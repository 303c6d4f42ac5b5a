// The fixed first-order filter and the sign-adaptive predictor that every
// level of .ape (file version 3990) runs on each channel before the
// adaptive filters. All sums wrap at 32 bits, as the decoders expect.
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
    const int32_t a = s - Scaled(lastS_);
    const int32_t b = cross - Scaled(lastCross_);
    lastS_ = s;
    lastCross_ = cross;

    // The own side predicts from the previous filtered value, the cross side
    // from the current one.
    const int32_t inA[4] = {a_[0], Wrap(uint32_t(a_[0]) - uint32_t(a_[1])),
                            Wrap(uint32_t(a_[1]) - uint32_t(a_[2])),
                            Wrap(uint32_t(a_[2]) - uint32_t(a_[3]))};
    const int32_t inB[5] = {b, Wrap(uint32_t(b) - uint32_t(b_[0])), Wrap(uint32_t(b_[0]) - uint32_t(b_[1])),
                            Wrap(uint32_t(b_[1]) - uint32_t(b_[2])),
                            Wrap(uint32_t(b_[2]) - uint32_t(b_[3]))};
    uint32_t predA = 0;
    for (int k = 0; k < 4; ++k) predA += uint32_t(inA[k]) * uint32_t(coeffA_[k]);
    uint32_t predB = 0;
    for (int k = 0; k < 5; ++k) predB += uint32_t(inB[k]) * uint32_t(coeffB_[k]);
    const int32_t prediction = Wrap(predA + uint32_t(Wrap(predB) >> 1));
    const int32_t residual = Wrap(uint32_t(a) - uint32_t(prediction >> 10));

    // Sign-sign adaptation.
    const int g = Sign(residual);
    if (g) {
      for (int k = 0; k < 4; ++k) coeffA_[k] += g * Sign(inA[k]);
      for (int k = 0; k < 5; ++k) coeffB_[k] += g * Sign(inB[k]);
    }
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
  static int32_t Wrap(uint32_t v) { return int32_t(v); }
  static int32_t Scaled(int32_t v) { return Wrap(uint32_t(v) * 31u) >> 5; }
  static int Sign(int32_t v) { return (v > 0) - (v < 0); }

  int32_t lastS_, lastCross_;
  int32_t a_[4];  // filtered own samples, newest first
  int32_t b_[4];  // filtered cross samples, newest first
  int32_t coeffA_[4];
  int32_t coeffB_[5];
};
