// MP3 through LAME with every setting of the MP3 record, an ID3v2 tag in front
// and, when asked, the VBR header frame.
#pragma once
#include "backend/audio/AudioSink.h"
#include "backend/audio/OutputFile.h"

struct lame_global_struct;

class Mp3Sink : public AudioSink {
 public:
  Mp3Sink(const Mp3FormatRecord& record, PcmFormat source);
  ~Mp3Sink() override;
  bool Open(const QString& path, const AudioTags& tags, QString* error) override;
  bool Write(const void* data, int frames, QString* error) override;
  bool Finish(QString* error) override;
  void Cancel() override;
  int Errno() const override { return file_.Errno(); }

 private:
  bool Configure(const AudioTags& tags, QString* error);
  Mp3FormatRecord record_;
  lame_global_struct* lame_ = nullptr;
  OutputFile file_;
  long tagSize_ = 0;
  std::vector<unsigned char> buf_;
};
