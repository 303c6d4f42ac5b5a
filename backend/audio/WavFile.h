// The plain PCM WAV layout the editor, the recorder and the speech control
// read and write: the header's fields, found by walking the RIFF chunks, and
// the 44-byte header written in front of new data.
#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>

class QIODevice;

struct WavLayout {
  int formatTag = 0;
  int channels = 0;
  int sampleRate = 0;
  int bits = 0;
  int blockAlign = 0;     // bytes per frame
  qint64 dataOffset = 0;  // where the samples begin
  qint64 dataBytes = 0;   // never beyond the end of the file
  qint64 Frames() const { return blockAlign > 0 ? dataBytes / blockAlign : 0; }
};

namespace WavFile {
// Reads the layout of an 8- or 16-bit PCM WAV of one or two channels; false
// with the reason for anything else.
bool ReadLayout(QIODevice& file, WavLayout* layout, QString* error);
bool ReadLayout(const QString& path, WavLayout* layout, QString* error);
// The canonical header of a PCM WAV holding dataBytes of samples.
QByteArray Header(int channels, int sampleRate, int bits, uint32_t dataBytes);
// Offsets of the two sizes a writer fixes once the length is known.
constexpr long kRiffSizeOffset = 4;
constexpr long kDataSizeOffset = 40;
}  // namespace WavFile
