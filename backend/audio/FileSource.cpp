#include "backend/audio/AudioDecoder.h"
#include "backend/audio/PathSources.h"
#include "backend/audio/PcmSource.h"

namespace {
class FileSource : public PcmSource {
 public:
  FileSource(const QString& path, double start, double length) : path_(path), start_(start), length_(length) {}
  bool Open(QString* error) override { return decoder_.Open(path_, error); }
  PcmFormat NativeFormat() const override {
    const AudioInfo& info = decoder_.Info();
    return {info.sampleRate, info.channels, info.pcmBits};
  }
  bool Start(PcmFormat format, QString* error) override {
    return decoder_.Start(format.sampleRate, format.channels, format.bits, start_, length_, error);
  }
  int Read(QString* error) override { return decoder_.Read(error); }
  const void* Pcm() const override { return decoder_.Pcm(); }
  double Progress() const override { return decoder_.Progress(); }
  QString File() const override { return path_; }
  int Errno() const override { return decoder_.Errno(); }

 private:
  QString path_;
  double start_;
  double length_;
  AudioDecoder decoder_;
};
}  // namespace

std::unique_ptr<PcmSource> MakeFileSource(const QString& path, double start, double length) {
  if (const PathReader reader = PathReaderFor(path); reader.source) return reader.source(path, start, length);
  return std::make_unique<FileSource>(path, start, length);
}
