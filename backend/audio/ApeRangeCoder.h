// The range coder of .ape frames (file version 3990) and the adaptive coding
// of prediction residuals on top of it.
#pragma once
#include <cstdint>
#include <vector>

class ApeRangeCoder {
 public:
  // Coded bytes are appended to out, in stream order.
  explicit ApeRangeCoder(std::vector<uint8_t>& out) : out_(out) {}
  // Starts a frame: the coder's state and both channels' running sums.
  void Reset();
  // Codes one residual of channel ch (0 or 1).
  void EncodeResidual(int ch, int32_t residual);
  // Flushes the coder at the end of a frame.
  void Finish();

 private:
  void Normalize();
  void ShiftByte();
  void EncodeSymbol(int symbol);
  void EncodeBits(uint32_t value, int bits);
  void EncodeUniform(uint32_t value, uint32_t total);
  void Flush(uint8_t held, uint8_t pending);

  std::vector<uint8_t>& out_;
  uint32_t low_ = 0;
  uint32_t range_ = 0;
  uint8_t held_ = 0;
  uint32_t pending_ = 0;
  uint32_t ksum_[2] = {};
};
