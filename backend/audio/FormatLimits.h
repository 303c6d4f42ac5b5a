// The formats an audio file really has. A header stating anything else is
// damaged or hostile (a rate of 1 GHz makes the resampler build a filter of
// gigabytes and take minutes, a rate of 1 Hz makes every input sample tens of
// thousands of output samples), so such a source is refused as unreadable.
#pragma once
#include <cstdint>

constexpr int64_t kMinSampleRate = 1000;    // below the lowest rate of speech codecs
constexpr int64_t kMaxSampleRate = 768000;  // the highest rate of studio formats
constexpr int64_t kMaxChannels = 8;         // 7.1, the widest layout of a music file

inline bool PlausibleFormat(int64_t sampleRate, int64_t channels) {
  return sampleRate >= kMinSampleRate && sampleRate <= kMaxSampleRate && channels >= 1 && channels <= kMaxChannels;
}
