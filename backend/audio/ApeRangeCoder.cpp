#include "backend/audio/ApeRangeCoder.h"

namespace {
constexpr uint32_t kTop = 1u << 31;
constexpr uint32_t kBottom = 1u << 23;
constexpr uint32_t kShift = 23;
constexpr uint32_t kInitialSum = 16384;
constexpr int kEscape = 63;

// Cumulative frequencies of the 64 quotient symbols over a total of 65536.
constexpr uint32_t kCumulative[65] = {
    0,     19578, 36160, 48417, 56323, 60899, 63265, 64435, 64971, 65232, 65351, 65416, 65447,
    65466, 65476, 65482, 65485, 65488, 65490, 65491, 65492, 65493, 65494, 65495, 65496, 65497,
    65498, 65499, 65500, 65501, 65502, 65503, 65504, 65505, 65506, 65507, 65508, 65509, 65510,
    65511, 65512, 65513, 65514, 65515, 65516, 65517, 65518, 65519, 65520, 65521, 65522, 65523,
    65524, 65525, 65526, 65527, 65528, 65529, 65530, 65531, 65532, 65533, 65534, 65535, 65536};

int BitLength(uint32_t v) { return 32 - __builtin_clz(v); }
}  // namespace

inline void ApeRangeCoder::Normalize() {
  while (range_ <= kBottom) ShiftByte();
}

void ApeRangeCoder::Reset() {
  low_ = 0;
  range_ = kTop;
  held_ = 0;
  pending_ = 0;
  ksum_[0] = ksum_[1] = kInitialSum;
}

// Writes the held byte and the bytes waiting on a possible carry.
void ApeRangeCoder::Flush(uint8_t held, uint8_t pending) {
  out_.push_back(held);
  if (!pending_) return;
  out_.insert(out_.end(), pending_, pending);
  pending_ = 0;
}

void ApeRangeCoder::ShiftByte() {
  if (low_ < (0xFFu << kShift)) {
    Flush(held_, 0xFF);
    held_ = uint8_t(low_ >> kShift);
  } else if (low_ & kTop) {
    Flush(uint8_t(held_ + 1), 0x00);
    held_ = uint8_t(low_ >> kShift);
  } else {
    ++pending_;
  }
  low_ = (low_ << 8) & (kTop - 1);
  range_ <<= 8;
}

void ApeRangeCoder::EncodeSymbol(int symbol) {
  Normalize();
  const uint32_t r = range_ >> 16;
  range_ = r * (kCumulative[symbol + 1] - kCumulative[symbol]);
  low_ += r * kCumulative[symbol];
}

void ApeRangeCoder::EncodeBits(uint32_t value, int bits) {
  Normalize();
  range_ >>= bits;
  low_ += range_ * value;
}

void ApeRangeCoder::EncodeUniform(uint32_t value, uint32_t total) {
  Normalize();
  range_ /= total;
  low_ += range_ * value;
}

void ApeRangeCoder::EncodeResidual(int ch, int32_t residual) {
  uint32_t& ksum = ksum_[ch];
  const uint32_t x = residual > 0 ? 2u * uint32_t(residual) - 1 : 0u - 2u * uint32_t(residual);
  const uint32_t pivot = ksum >> 5 ? ksum >> 5 : 1;
  const uint32_t quotient = x / pivot;
  const uint32_t rest = x - quotient * pivot;
  ksum += (x + 1) / 2 - ((ksum + 16) >> 5);

  if (quotient < kEscape) {
    EncodeSymbol(int(quotient));
  } else {
    EncodeSymbol(kEscape);
    EncodeBits(quotient >> 16, 16);
    EncodeBits(quotient & 0xFFFF, 16);
  }
  if (pivot < 65536) {
    EncodeUniform(rest, pivot);
    return;
  }
  // Wide pivots are coded in two parts so that each total fits 16 bits.
  const int low = BitLength(pivot) - 16;
  EncodeUniform(rest >> low, (pivot >> low) + 1);
  EncodeUniform(rest & ((1u << low) - 1), 1u << low);
}

void ApeRangeCoder::Finish() {
  Normalize();
  const uint32_t last = (low_ >> kShift) + 1;
  if (last > 0xFF)
    Flush(uint8_t(held_ + 1), 0x00);
  else
    Flush(held_, 0xFF);
  // Three spare bytes keep the decoder's look-ahead inside the frame.
  const uint8_t tail[4] = {uint8_t(last), 0, 0, 0};
  out_.insert(out_.end(), tail, tail + 4);
}
