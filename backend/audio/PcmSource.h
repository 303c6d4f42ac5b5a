// Where a job's PCM comes from: a file (whole or a range) decoded through
// FFmpeg, or another reader such as a CD track. The job runner feeds any
// source to the sink of the destination format.
#pragma once
#include <QString>
#include <cstdint>
#include <memory>

struct PcmFormat {
  int sampleRate = 44100;
  int channels = 2;
};

class PcmSource {
 public:
  virtual ~PcmSource() = default;
  // Opens the source; NativeFormat is known afterwards.
  virtual bool Open(QString* error) = 0;
  virtual PcmFormat NativeFormat() const = 0;
  // Prepares delivery of interleaved signed 16-bit PCM in the given format.
  virtual bool Start(PcmFormat format, QString* error) = 0;
  // The next piece: its frame count (data in Pcm()), 0 at the end, -1 on failure.
  virtual int Read(QString* error) = 0;
  virtual const int16_t* Pcm() const = 0;
  // Share delivered so far, 0 to 1.
  virtual double Progress() const = 0;
  // The file read, if any: a job never writes over it.
  virtual QString File() const = 0;
};

// A file, whole or a range in seconds (negative start: the beginning;
// negative length: to the end).
std::unique_ptr<PcmSource> MakeFileSource(const QString& path, double start, double length);
