#include "backend/audio/ApeNNFilter.h"

#include <algorithm>
#include <array>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {
constexpr int kWindow = 512;

// w += sign * d (wrapping at 16 bits), then returns the wrapping int32 dot
// product of the updated w with h; n is a multiple of 8.
template <int sign>
int32_t AdaptAndDot(int16_t* w, const int16_t* d, const int16_t* h, int n) {
#if defined(__SSE2__)
  __m128i sum = _mm_setzero_si128();
  for (int i = 0; i < n; i += 8) {
    __m128i* wp = reinterpret_cast<__m128i*>(w + i);
    __m128i x = _mm_loadu_si128(wp);
    if constexpr (sign != 0) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
      x = sign > 0 ? _mm_add_epi16(x, a) : _mm_sub_epi16(x, a);
      _mm_storeu_si128(wp, x);
    }
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
    sum = _mm_add_epi32(sum, _mm_madd_epi16(x, y));
  }
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(1, 0, 3, 2)));
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(2, 3, 0, 1)));
  return _mm_cvtsi128_si32(sum);
#else
  uint32_t sum = 0;
  for (int i = 0; i < n; ++i) {
    if constexpr (sign != 0) w[i] = int16_t(w[i] + sign * d[i]);
    sum += uint32_t(int32_t(w[i]) * h[i]);
  }
  return int32_t(sum);
#endif
}

#if defined(__x86_64__)
// The same with 16 lanes, for processors that have AVX2; n is a multiple of 16.
template <int sign>
__attribute__((target("avx2"))) int32_t AdaptAndDotAvx2(int16_t* w, const int16_t* d, const int16_t* h, int n) {
  __m256i sum = _mm256_setzero_si256();
  for (int i = 0; i < n; i += 16) {
    __m256i* wp = reinterpret_cast<__m256i*>(w + i);
    __m256i x = _mm256_loadu_si256(wp);
    if constexpr (sign != 0) {
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
      x = sign > 0 ? _mm256_add_epi16(x, a) : _mm256_sub_epi16(x, a);
      _mm256_storeu_si256(wp, x);
    }
    const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i));
    sum = _mm256_add_epi32(sum, _mm256_madd_epi16(x, y));
  }
  __m128i s = _mm_add_epi32(_mm256_castsi256_si128(sum), _mm256_extracti128_si256(sum, 1));
  s = _mm_add_epi32(s, _mm_shuffle_epi32(s, _MM_SHUFFLE(1, 0, 3, 2)));
  s = _mm_add_epi32(s, _mm_shuffle_epi32(s, _MM_SHUFFLE(2, 3, 0, 1)));
  return _mm_cvtsi128_si32(s);
}
#endif

using Kernel = int32_t (*)(int16_t*, const int16_t*, const int16_t*, int);

// Kernels for a pending sign of -1, 0 and +1.
const std::array<Kernel, 3>& Kernels() {
#if defined(__x86_64__)
  static const std::array<Kernel, 3> avx2 = {AdaptAndDotAvx2<-1>, AdaptAndDotAvx2<0>, AdaptAndDotAvx2<1>};
  if (__builtin_cpu_supports("avx2")) return avx2;
#endif
  static const std::array<Kernel, 3> plain = {AdaptAndDot<-1>, AdaptAndDot<0>, AdaptAndDot<1>};
  return plain;
}
}  // namespace

ApeNNFilter::ApeNNFilter(int order, int shift)
    : order_(order),
      shift_(shift),
      coeffs_(order),
      history_(order + 1 + kWindow),
      adapt_(order + 1 + kWindow),
      kernels_(&Kernels()) {}

void ApeNNFilter::Reset() {
  std::fill(coeffs_.begin(), coeffs_.end(), 0);
  std::fill(history_.begin(), history_.end(), 0);
  std::fill(adapt_.begin(), adapt_.end(), 0);
  pos_ = order_ + 1;
  avg_ = 0;
  pendingSign_ = 0;
}

void ApeNNFilter::Compress(int32_t* data, int count) {
  for (int i = 0; i < count; ++i) data[i] = CompressOne(data[i]);
}

int32_t ApeNNFilter::CompressOne(int32_t v) {
  // The previous sample's update uses its own window, one entry older.
  int16_t* w = coeffs_.data();
  const int16_t* h = &history_[pos_ - order_];
  const int16_t* d = &adapt_[pos_ - 1 - order_];
  const int32_t dot = (*kernels_)[pendingSign_ + 1](w, d, h, order_);
  // Older adapt values weigh less: halved at ages 1, 2 and 8.
  adapt_[pos_ - 2] >>= 1;
  adapt_[pos_ - 3] >>= 1;
  adapt_[pos_ - 9] >>= 1;

  const int32_t out = int32_t(uint32_t(v) - uint32_t((int64_t(dot) + (int64_t(1) << (shift_ - 1))) >> shift_));
  pendingSign_ = (out < 0) - (out > 0);

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

  if (++pos_ == int(history_.size())) Roll();
  return out;
}

void ApeNNFilter::Roll() {
  const int keep = order_ + 1;
  std::memmove(history_.data(), history_.data() + pos_ - keep, keep * sizeof(int16_t));
  std::memmove(adapt_.data(), adapt_.data() + pos_ - keep, keep * sizeof(int16_t));
  pos_ = keep;
}
