// Decodes any file FFmpeg reads into interleaved PCM at the rate, channel
// count and depth asked for, for the whole file or a range of it. The CD
// ripper and the data-disc writer feed the same sinks from their own sources.
#pragma once
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "backend/audio/AudioJobSettings.h"

struct AudioInfo {
  int sampleRate = 0;
  int channels = 0;
  int bitsPerSample = 0;    // of the decoded PCM
  int pcmBits = 16;         // 8, 16 or 24: the PcmFormat depth that holds every decoded sample
  int64_t durationMs = 0;
  long bitrateKbps = 0;
};

class AudioDecoder {
 public:
  AudioDecoder();
  ~AudioDecoder();

  // Opens and probes the file; false with a readable reason.
  bool Open(const QString& path, QString* error);
  // Opens for Info's format and length and for Tags only, reading no more of
  // the file than that needs (pcmBits and bitrateKbps may be left unknown);
  // such a decoder cannot Start. Setting stop ends a long probe early (false).
  bool Probe(const QString& path, QString* error, const std::atomic<bool>* stop = nullptr);
  void Close();
  const AudioInfo& Info() const { return info_; }
  AudioTags Tags() const;

  // Prepares decoding into outRate/outChannels/outBits (a PcmFormat depth).
  // start and length in seconds; a negative start means the beginning, a
  // negative length the rest of the file.
  bool Start(int outRate, int outChannels, int outBits, double start, double length, QString* error);
  // Decodes the next piece. Returns its frame count (data in Pcm()), 0 at the
  // end, -1 on failure with the reason.
  int Read(QString* error);
  const void* Pcm() const { return pcm_; }
  // Share of the asked range read so far, 0 to 1.
  double Progress() const;
  // The system's error number (errno) behind the last failure to open or
  // read the file; 0 when the failure was not the system's (damage).
  int Errno() const { return errno_; }

 private:
  bool OpenFile(const QString& path, bool probeOnly, QString* error, const std::atomic<bool>* stop = nullptr);
  void TakeInfo();

  struct Impl;
  std::unique_ptr<Impl> d;
  AudioInfo info_;
  std::vector<uint8_t> out_;  // converted samples
  const uint8_t* pcm_ = nullptr;  // the last piece: in out_ or in a decoded frame
  int errno_ = 0;
};
