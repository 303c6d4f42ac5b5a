// The fixed lists of compressed-WAV ("ACM") codec tags and WMA codecs with
// their formats. Settings store positions and names from these lists, so the
// order and the names never change.
#pragma once
#include <QString>
#include <vector>

struct CodecFormat {
  QString name;
  int sampleRate;
  int channels;
  int bits;  // PCM bits per sample; 0 for compressed formats
  int kbps;  // 0 when the codec's rate follows from the sample format
};

struct CodecEntry {
  QString name;
  const char* encoder;  // FFmpeg encoder name
  std::vector<CodecFormat> formats;
};

const std::vector<CodecEntry>& AcmTags();
const CodecEntry* FindAcmTag(const QString& name);
const CodecFormat* FindAcmFormat(const CodecEntry& tag, const QString& name);
const std::vector<CodecEntry>& WmaCodecs();
