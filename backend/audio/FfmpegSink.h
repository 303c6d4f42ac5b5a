// Writes WAV (plain or with a compressed codec) and WMA through FFmpeg's
// muxers and encoders; the tags go into the container's own tag form.
#pragma once
#include "backend/audio/AudioSink.h"

class FfmpegSink : public AudioSink {
 public:
  // muxer "wav" or "asf"; encoder an FFmpeg encoder name; bitRate in bit/s or 0.
  FfmpegSink(const char* muxer, const char* encoder, PcmFormat format, int64_t bitRate);
  ~FfmpegSink() override;
  bool Open(const QString& path, const AudioTags& tags, QString* error) override;
  bool Write(const void* data, int frames, QString* error) override;
  bool Finish(QString* error) override;
  void Cancel() override;
  int Errno() const override;

 private:
  struct Impl;
  std::unique_ptr<Impl> d;
};
