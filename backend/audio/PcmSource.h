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
  // 8: unsigned bytes; 16: signed 16-bit; 24: signed 32-bit words whose top
  // 24 bits hold the sample.
  int bits = 16;
};

class PcmSource {
 public:
  virtual ~PcmSource() = default;
  // Opens the source; NativeFormat (with the depth that holds its samples
  // exactly) is known afterwards.
  virtual bool Open(QString* error) = 0;
  virtual PcmFormat NativeFormat() const = 0;
  // Prepares delivery of interleaved PCM in the given format.
  virtual bool Start(PcmFormat format, QString* error) = 0;
  // The next piece: its frame count (data in Pcm()), 0 at the end, -1 on failure.
  virtual int Read(QString* error) = 0;
  virtual const void* Pcm() const = 0;
  // Share delivered so far, 0 to 1.
  virtual double Progress() const = 0;
  // The file read, if any: a job never writes over it.
  virtual QString File() const = 0;
  // True when the last failure was in writing what the source holds aside
  // (a full disk), not in reading its audio.
  virtual bool FailedOnWrite() const { return false; }
  // The system's error number (errno) behind the last failure to open or
  // read; 0 when the failure was not the system's (damage).
  virtual int Errno() const { return 0; }
};

// A file, whole or a range in seconds (negative start: the beginning;
// negative length: to the end); a path that names no file but a source the
// path reader serves (a CD track, see PathSources.h) is read through it.
std::unique_ptr<PcmSource> MakeFileSource(const QString& path, double start, double length);
