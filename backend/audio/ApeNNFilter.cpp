#include "backend/audio/ApeNNFilter.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
constexpr int kWindow = 512;

// Wrapping int32 dot product of two int16 vectors; n is a multiple of 8.
int32_t Dot(const int16_t* a, const int16_t* b, int n) {
#if defined(__SSE2__)
  __m128i sum = _mm_setzero_si128();
  for (int i = 0; i < n; i += 8) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    sum = _mm_add_epi32(sum, _mm_madd_epi16(x, y));
  }
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(1, 0, 3, 2)));
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(2, 3, 0, 1)));
  return _mm_cvtsi128_si32(sum);
#else
  uint32_t sum = 0;
  for (int i = 0; i < n; ++i) sum += uint32_t(int32_t(a[i]) * b[i]);
  return int32_t(sum);
#endif
}

// w += d (add) or w -= d, wrapping at 16 bits; n is a multiple of 8.
void Adapt(int16_t* w, const int16_t* d, int n, bool add) {
#if defined(__SSE2__)
  for (int i = 0; i < n; i += 8) {
    __m128i* p = reinterpret_cast<__m128i*>(w + i);
    const __m128i x = _mm_loadu_si128(p);
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    _mm_storeu_si128(p, add ? _mm_add_epi16(x, y) : _mm_sub_epi16(x, y));
  }
#else
  for (int i = 0; i < n; ++i) w[i] = int16_t(add ? w[i] + d[i] : w[i] - d[i]);
#endif
}
}  // namespace

ApeNNFilter::ApeNNFilter(int order, int shift)
    : order_(order), shift_(shift), coeffs_(order), history_(order + kWindow), adapt_(order + kWindow) {
  Reset();
}

void ApeNNFilter::Reset() {
  std::fill(coeffs_.begin(), coeffs_.end(), 0);
  std::fill(history_.begin(), history_.end(), 0);
  std::fill(adapt_.begin(), adapt_.end(), 0);
  pos_ = order_;
  avg_ = 0;
}

void ApeNNFilter::Compress(int32_t* data, int count) {
  for (int i = 0; i < count; ++i) data[i] = CompressOne(data[i]);
}

int32_t ApeNNFilter::CompressOne(int32_t v) {
  const int16_t* window = &history_[pos_ - order_];
  const int16_t* adapt = &adapt_[pos_ - order_];
  const int64_t dot = Dot(coeffs_.data(), window, order_);
  const int32_t out = int32_t(uint32_t(v) - uint32_t((dot + (int64_t(1) << (shift_ - 1))) >> shift_));
  if (out > 0)
    Adapt(coeffs_.data(), adapt, order_, false);
  else if (out < 0)
    Adapt(coeffs_.data(), adapt, order_, true);

  history_[pos_] = int16_t(std::clamp(v, -32768, 32767));
  // The adapt value is larger for inputs well above the running average.
  const uint32_t mag = v < 0 ? 0u - uint32_t(v) : uint32_t(v);
  int16_t step = 8;
  if (uint64_t(mag) > uint64_t(avg_) * 3)
    step = 32;
  else if (uint64_t(mag) > uint64_t(avg_) + avg_ / 3)
    step = 16;
  adapt_[pos_] = v == 0 ? 0 : (v > 0 ? int16_t(-step) : step);
  avg_ += uint32_t(int32_t(mag - avg_) / 16);
  // Older adapt values weigh less: halved at ages 1, 2 and 8.
  adapt_[pos_ - 1] >>= 1;
  adapt_[pos_ - 2] >>= 1;
  adapt_[pos_ - 8] >>= 1;

  if (++pos_ == int(history_.size())) Roll();
  return out;
}

void ApeNNFilter::Roll() {
  std::memmove(history_.data(), history_.data() + pos_ - order_, order_ * sizeof(int16_t));
  std::memmove(adapt_.data(), adapt_.data() + pos_ - order_, order_ * sizeof(int16_t));
  pos_ = order_;
}
