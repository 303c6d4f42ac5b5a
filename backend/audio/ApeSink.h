// APE output through our own encoder; the tags go into its APEv2 tag.
#pragma once
#include "backend/audio/ApeEncoder.h"
#include "backend/audio/AudioSink.h"

class ApeSink : public AudioSink {
 public:
  // level 0 (fast) to 4 (slow).
  ApeSink(long level, PcmFormat source);
  bool Open(const QString& path, const AudioTags& tags, QString* error) override;
  bool Write(const int16_t* pcm, int frames, QString* error) override;
  bool Finish(QString* error) override;
  void Cancel() override;
  // A frame holds up to 27 seconds of audio at the slowest level.
  void SetAbortFlag(const std::atomic<bool>* flag) override { encoder_.SetAbortFlag(flag); }

 private:
  ApeEncoder encoder_;
  int level_;
  AudioTags tags_;
  bool open_ = false;
};
