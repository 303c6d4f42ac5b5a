// The length a decode of a file's audio gives, found as cheaply as the file
// allows: from the durations its packets state, by decoding its last frames
// only, or by decoding it once. Each piece counts at its own rate, so that a
// stream that changes its rate midway (chained files) is measured right.
#pragma once
#include <QString>
#include <atomic>
#include <cstdint>

struct StreamLength {
  int64_t samples = 0;  // per channel, every piece's whatever its rate
  int64_t us = 0;       // each piece at its own rate
};

enum class LengthWay {
  // The demuxer's parser states each frame's samples (MPEG audio, ADTS AAC);
  // the samples it tells the decoder to drop are left out.
  Packets,
  // Every frame is independent and the index places each exactly (APE): the
  // frames the index holds, less those beyond the file's end, and a decode of
  // the last one there is.
  LastIndexed,
  Decode,
};

// Measures the best audio stream of path; false when it cannot be read, a
// packet states no length, or stop was set. The lengths of the files measured
// last are kept while the file stays as it was (device, inode, size, time).
bool MeasureStream(const QString& path, LengthWay way, const std::atomic<bool>* stop, StreamLength* length);

// Every page of the Ogg file at path belongs to one logical stream: no second
// stream chained behind the first or beside it, whose length its last page
// would not give.
bool OggHasOneStream(const QString& path);
