// Monkey's Audio (.ape, file version 3990) encoder: interleaved little-endian
// PCM in, a complete .ape file out, with the header MD5, a CRC per frame and
// the tags as an APEv2 tag at the end.
#pragma once
#include <QMap>
#include <QString>
#include <atomic>
#include <memory>

class ApeEncoder {
 public:
  ApeEncoder();
  ~ApeEncoder();
  // level is 1000 (Fast) to 5000 (Slow); bits 8 (unsigned samples), 16 or 24.
  bool Open(const QString& path, int sampleRate, int channels, int bitsPerSample, int level, QString* error);
  // frames interleaved PCM frames of the opened format.
  bool Write(const void* pcm, qint64 frames, QString* error);
  // Writes the last frame, the seek table, the MD5 and the tag; closes the file.
  // tags: APEv2 item keys ("Title", "Artist", "Album", "Year", "Comment", "Genre", "Track")
  // to values; empty values are left out.
  bool Finish(const QMap<QString, QString>& tags, QString* error);
  // Closes the file and deletes it.
  void Cancel();
  // The system's error number (errno) behind the last failure to write the
  // file; 0 when the failure was not the file's.
  int Errno() const;
  // Write and Finish look at flag while they code a frame or move data; once
  // it is set they stop within milliseconds and fail; the caller cancels.
  void SetAbortFlag(const std::atomic<bool>* flag);

 private:
  struct Impl;
  std::unique_ptr<Impl> d;
};
