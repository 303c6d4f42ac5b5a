#include "backend/audio/ApeSink.h"

#include <algorithm>
#include <cstring>

ApeSink::ApeSink(long level, PcmFormat source) : level_(int(std::clamp(level, 0L, 4L) + 1) * 1000) {
  format_.sampleRate = source.sampleRate;
  format_.channels = std::clamp(source.channels, 1, 2);
  format_.bits = source.bits <= 8 ? 8 : source.bits <= 16 ? 16 : 24;
}

bool ApeSink::Open(const QString& path, const AudioTags& tags, QString* error) {
  tags_ = tags;
  open_ = encoder_.Open(path, format_.sampleRate, format_.channels, format_.bits, level_, error);
  return open_;
}

bool ApeSink::Write(const void* pcm, int frames, QString* error) {
  if (format_.bits != 24) return encoder_.Write(pcm, frames, error);
  // The top three bytes of each little-endian 32-bit word.
  const size_t samples = size_t(frames) * format_.channels;
  const uint8_t* in = static_cast<const uint8_t*>(pcm);
  packed_.resize(samples * 3);
  for (size_t i = 0; i < samples; ++i) std::memcpy(&packed_[i * 3], in + i * 4 + 1, 3);
  return encoder_.Write(packed_.data(), frames, error);
}

bool ApeSink::Finish(QString* error) {
  const QMap<QString, QString> tags = {{"Title", tags_.title}, {"Artist", tags_.artist}, {"Album", tags_.album},
                                       {"Year", tags_.year},   {"Comment", tags_.comment}, {"Genre", tags_.genre},
                                       {"Track", tags_.track}};
  open_ = false;
  if (encoder_.Finish(tags, error)) return true;
  encoder_.Cancel();
  return false;
}

void ApeSink::Cancel() {
  if (open_) encoder_.Cancel();
  open_ = false;
}
