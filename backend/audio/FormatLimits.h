// The formats an audio file really has. A header stating anything else is
// damaged or hostile (a rate of 1 GHz makes the resampler build a filter of
// gigabytes and take minutes), so such a source is refused as unreadable.
#pragma once
#include <cstdint>

constexpr int64_t kMaxSampleRate = 768000;  // the highest rate of studio formats
constexpr int64_t kMaxChannels = 8;         // 7.1, the widest layout of a music file

inline bool PlausibleFormat(int64_t sampleRate, int64_t channels) {
  return sampleRate >= 1 && sampleRate <= kMaxSampleRate && channels >= 1 && channels <= kMaxChannels;
}
