// An encoder that writes one output file from interleaved PCM (signed 16-bit
// for all but APE, which keeps the source's depth).
// The converter, the joiner, the CD ripper and the data-disc writer all feed
// the sink that MakeAudioSink builds for the chosen destination format.
#pragma once
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>

#include "backend/audio/AudioJobSettings.h"
#include "backend/audio/PcmSource.h"

class AudioSink {
 public:
  virtual ~AudioSink() = default;
  // The PCM the sink takes; Write's data is in this format.
  PcmFormat Format() const { return format_; }
  virtual bool Open(const QString& path, const AudioTags& tags, QString* error) = 0;
  virtual bool Write(const void* pcm, int frames, QString* error) = 0;
  // Completes and closes the file.
  virtual bool Finish(QString* error) = 0;
  // Abandons the output: closes and deletes the file.
  virtual void Cancel() = 0;
  // A sink whose single Write or Finish can take long looks at flag meanwhile
  // and fails soon after it is set.
  virtual void SetAbortFlag(const std::atomic<bool>* /*flag*/) {}
  // The system's error number (errno) behind the last failure to open or
  // write the file; 0 when the failure was not the system's (an encoder's).
  virtual int Errno() const = 0;

 protected:
  PcmFormat format_;
};

// The sink for the job's destination format and settings. source is the
// format of the (first) source: formats without a rate of their own keep it.
std::unique_ptr<AudioSink> MakeAudioSink(const AudioJobSettings& settings, PcmFormat source, QString* error);
