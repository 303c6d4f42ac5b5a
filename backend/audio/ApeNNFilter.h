// One adaptive FIR stage of .ape levels 2000 to 5000: int16 coefficients that
// follow the sign of the stage's output, run over a saturated history.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

class ApeNNFilter {
 public:
  ApeNNFilter(int order, int shift);
  // Every frame starts afresh.
  void Reset();
  // Replaces the frame's next count values by the stage's output; a frame may
  // be fed in pieces.
  void Compress(int32_t* data, int count);

 private:
  int32_t CompressOne(int32_t v);
  void Roll();

  int order_;
  int shift_;
  std::vector<int16_t> coeffs_;
  // History and adapt values: a window of the last order_ + 1 entries that
  // slides along a longer buffer and is moved back to the front when it
  // reaches the end (cheaper than a ring buffer in the inner loops).
  std::vector<int16_t> history_;
  std::vector<int16_t> adapt_;
  int pos_ = 0;  // index of the next entry
  uint32_t avg_ = 0;
  // A sample's coefficient update and the ageing of its adapt values are
  // done at the next sample, so that update and dot product share one pass.
  int pendingSign_ = 0;
  // Update-and-dot kernels for the processor, indexed by pendingSign_ + 1.
  const std::array<int32_t (*)(int16_t*, const int16_t*, const int16_t*, int), 3>* kernels_;
};
