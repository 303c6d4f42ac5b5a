// Ogg Vorbis through libvorbis: quality mode (0 to 100) or nominal-bitrate
// mode, the tags as Vorbis comments.
#pragma once
#include <memory>

#include "backend/audio/AudioSink.h"
#include "backend/audio/OutputFile.h"

class OggSink : public AudioSink {
 public:
  OggSink(const OggFormatRecord& record, PcmFormat source);
  ~OggSink() override;
  bool Open(const QString& path, const AudioTags& tags, QString* error) override;
  bool Write(const void* data, int frames, QString* error) override;
  bool Finish(QString* error) override;
  void Cancel() override;
  int Errno() const override { return file_.Errno(); }

 private:
  bool Flush(bool all, QString* error);
  struct Impl;
  std::unique_ptr<Impl> d;
  OggFormatRecord record_;
  OutputFile file_;
};
