// APE output through our own encoder, lossless at the source's depth (8, 16
// or 24 bits); the tags go into its APEv2 tag.
#pragma once
#include "backend/audio/ApeEncoder.h"
#include "backend/audio/AudioSink.h"

#include <vector>

class ApeSink : public AudioSink {
 public:
  // level 0 (fast) to 4 (slow).
  ApeSink(long level, PcmFormat source);
  bool Open(const QString& path, const AudioTags& tags, QString* error) override;
  bool Write(const void* pcm, int frames, QString* error) override;
  bool Finish(QString* error) override;
  void Cancel() override;
  // A frame holds up to 27 seconds of audio at the slowest level.
  void SetAbortFlag(const std::atomic<bool>* flag) override { encoder_.SetAbortFlag(flag); }
  int Errno() const override { return encoder_.Errno(); }

 private:
  ApeEncoder encoder_;
  int level_;
  AudioTags tags_;
  std::vector<uint8_t> packed_;  // 24-bit samples in the encoder's 3-byte layout
  bool open_ = false;
};
