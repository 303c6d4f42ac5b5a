#include "backend/audio/ApePredictor.h"

namespace {
// All sums wrap at 32 bits, as the decoders expect, so they are done in
// unsigned arithmetic.
int32_t Scaled(int32_t v) { return int32_t(uint32_t(v) * 31u) >> 5; }
int Sign(int32_t v) { return (v > 0) - (v < 0); }

// The state lives in locals while a piece is coded, so that it stays in registers.
template <bool kCross>
void Compress(ApePredictor::State& st, const int32_t* own, const int32_t* cross, int32_t* residuals, int count) {
  int32_t lastS = st.lastS, lastCross = st.lastCross;
  uint32_t a1 = st.a[0], a2 = st.a[1], a3 = st.a[2], a4 = st.a[3];
  uint32_t b1 = st.b[0], b2 = st.b[1], b3 = st.b[2], b4 = st.b[3];
  uint32_t cA0 = st.cA[0], cA1 = st.cA[1], cA2 = st.cA[2], cA3 = st.cA[3];
  uint32_t cB0 = st.cB[0], cB1 = st.cB[1], cB2 = st.cB[2], cB3 = st.cB[3], cB4 = st.cB[4];
  for (int n = 0; n < count; ++n) {
    const int32_t s = own[n];
    const uint32_t a = uint32_t(s - Scaled(lastS));
    lastS = s;
    // The own side predicts from the previous filtered value, the cross side
    // from the current one.
    const int32_t dA0 = int32_t(a1), dA1 = int32_t(a1 - a2), dA2 = int32_t(a2 - a3), dA3 = int32_t(a3 - a4);
    uint32_t prediction = uint32_t(dA0) * cA0 + uint32_t(dA1) * cA1 + uint32_t(dA2) * cA2 + uint32_t(dA3) * cA3;
    int32_t dB0 = 0, dB1 = 0, dB2 = 0, dB3 = 0, dB4 = 0;
    uint32_t b = 0;
    if constexpr (kCross) {
      b = uint32_t(cross[n] - Scaled(lastCross));
      lastCross = cross[n];
      dB0 = int32_t(b), dB1 = int32_t(b - b1), dB2 = int32_t(b1 - b2), dB3 = int32_t(b2 - b3), dB4 = int32_t(b3 - b4);
      const uint32_t predB = uint32_t(dB0) * cB0 + uint32_t(dB1) * cB1 + uint32_t(dB2) * cB2 +
                             uint32_t(dB3) * cB3 + uint32_t(dB4) * cB4;
      prediction += uint32_t(int32_t(predB) >> 1);
    }
    const int32_t residual = int32_t(a - uint32_t(int32_t(prediction) >> 10));
    residuals[n] = residual;

    // Sign-sign adaptation.
    const int g = Sign(residual);
    cA0 += g * Sign(dA0);
    cA1 += g * Sign(dA1);
    cA2 += g * Sign(dA2);
    cA3 += g * Sign(dA3);
    a4 = a3, a3 = a2, a2 = a1, a1 = a;
    if constexpr (kCross) {
      cB0 += g * Sign(dB0);
      cB1 += g * Sign(dB1);
      cB2 += g * Sign(dB2);
      cB3 += g * Sign(dB3);
      cB4 += g * Sign(dB4);
      b4 = b3, b3 = b2, b2 = b1, b1 = b;
    }
  }
  st = {lastS, lastCross, {a1, a2, a3, a4}, {b1, b2, b3, b4}, {cA0, cA1, cA2, cA3}, {cB0, cB1, cB2, cB3, cB4}};
}
}  // namespace

void ApePredictor::Compress(const int32_t* own, const int32_t* cross, int32_t* residuals, int count) {
  if (cross)
    ::Compress<true>(state_, own, cross, residuals, count);
  else
    ::Compress<false>(state_, own, nullptr, residuals, count);
}
