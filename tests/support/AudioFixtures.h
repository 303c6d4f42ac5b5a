// Generated audio fixtures and independent checks of written files: WAVs are
// written here sample by sample; other input types and every check of an
// output go through the ffmpeg and ffprobe commands, not through our decoder.
#pragma once
#include <QMap>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace AudioFixtures {

enum class Signal { Sine, Silence, Ramp };

// A PCM WAV of 8, 16 or 24 bits; Ramp holds sample n = n % 30000 (16 bit), so
// positions can be checked. A 24-bit sine uses the low byte too.
QString WriteWav(const QString& path, int rate, int channels, int bits, double seconds, Signal signal = Signal::Sine);
// A WAV header's sizes as a recording cut short or another tool leaves them:
// data size 0, a data size past the end, RIFF size 0. Every reader takes the
// samples to the end of the file.
struct WavSizes {
  const char* name;
  int64_t riff;  // -1: as written
  int64_t data;  // -1: as written
};
extern const WavSizes kUntrustedWavSizes[3];
// Overwrites the two sizes of a WavFile written by WriteWav; the path.
QString SetWavSizes(const QString& path, const WavSizes& sizes);
// A header stating the given rate and channel count over a second of 16-bit
// samples at 8000 frames.
QString WriteWavHeaderClaiming(const QString& path, uint32_t rate, int channels);
// A headerless Dialogic (OKI ADPCM) file of a sine, 8000 Hz mono.
QString WriteVox(const QString& path, double seconds);
// Converts a file with the ffmpeg command (args between input and output, e.g. {"-c:a", "libmp3lame"}).
// A tool's standard output (UTF-8 locale, at most a minute).
QByteArray RunTool(const QString& program, const QStringList& args);
QString Encode(const QString& input, const QString& output, const QStringList& args = {});

struct Probe {
  QString codec;
  int sampleRate = 0;
  int channels = 0;
  QString sampleFormat;  // the decoder's, e.g. "s16" or "s32p"
  QMap<QString, QString> tags;  // lower-case keys
};
Probe ProbeFile(const QString& path);
// The decoded audio as interleaved signed 16-bit samples at the file's own rate and channels.
std::vector<int16_t> DecodePcm(const QString& path);
// FFmpeg's decode in the given depth (8: u8, 16: s16le, 24: s24le), failing on
// any CRC mismatch.
struct Decoded {
  int exitCode = -1;
  QByteArray pcm;
  QString messages;
};
Decoded DecodeExact(const QString& path, int bits);
// Root mean square of the samples, 0 to 32768.
double Rms(const std::vector<int16_t>& pcm);
// The file names in a folder (hidden ones included).
QStringList FilesIn(const QString& dir);

// Switches SDL's audio to the disk driver while it lives: capture reads the
// given bytes (then silence), playback writes to "played.raw" in dir.
class DiskAudio {
 public:
  DiskAudio(const QString& dir, const QByteArray& input);
  ~DiskAudio();
};
// Leaves SDL without any audio device while it lives (its sound system
// cannot start).
class NoAudio {
 public:
  NoAudio();
  ~NoAudio();
};
// Bytes that change at every sample, so any slip or loss shows.
QByteArray Pattern(int bytes);

}  // namespace AudioFixtures
