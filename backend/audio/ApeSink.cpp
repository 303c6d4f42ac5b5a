#include "backend/audio/ApeSink.h"

#include <algorithm>

ApeSink::ApeSink(long level, PcmFormat source) : level_(int(std::clamp(level, 0L, 4L) + 1) * 1000) {
  format_.sampleRate = source.sampleRate;
  format_.channels = std::clamp(source.channels, 1, 2);
}

bool ApeSink::Open(const QString& path, const AudioTags& tags, QString* error) {
  tags_ = tags;
  open_ = encoder_.Open(path, format_.sampleRate, format_.channels, 16, level_, error);
  return open_;
}

bool ApeSink::Write(const int16_t* pcm, int frames, QString* error) {
  return encoder_.Write(pcm, frames, error);
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
