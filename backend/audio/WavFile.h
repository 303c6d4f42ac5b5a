// The plain PCM WAV layout the editor, the recorder, the speech control and
// the audio-CD writer read and write: the header's fields, found by walking
// the RIFF chunks, and the 44-byte header written in front of new data.
#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>

class QIODevice;

struct WavLayout {
  int formatTag = 0;
  int channels = 0;
  int sampleRate = 0;
  int byteRate = 0;       // bytes a second, as the header states it
  int bits = 0;
  int blockAlign = 0;     // bytes per frame
  qint64 dataOffset = 0;  // where the samples begin
  qint64 dataBytes = 0;   // never beyond the end of the file
  qint64 Frames() const { return blockAlign > 0 ? dataBytes / blockAlign : 0; }
};

namespace WavFile {
// Finds the format and the samples of a RIFF WAVE file, whatever their
// format; false when it is none or lacks either chunk. Sizes are never
// trusted: a data size of 0 or past the end (a recording cut short leaves
// such a header) means the samples run to the end of the file, and the RIFF
// size is not read at all.
bool ReadChunks(QIODevice& file, WavLayout* layout);
// Reads the layout of an 8- or 16-bit PCM WAV of one or two channels; false
// with the reason for anything else.
bool ReadLayout(QIODevice& file, WavLayout* layout, QString* error);
bool ReadLayout(const QString& path, WavLayout* layout, QString* error);
// The canonical header of a PCM WAV holding dataBytes of samples.
QByteArray Header(int channels, int sampleRate, int bits, uint32_t dataBytes);
// Sets the RIFF and data sizes of a file that starts with Header to
// dataBytes, then returns to its end; false when a write failed.
bool WriteSizes(QIODevice& file, uint32_t dataBytes);
}  // namespace WavFile
