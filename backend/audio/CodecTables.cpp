#include "backend/audio/CodecTables.h"

namespace {

QString ChannelName(int channels) { return channels == 1 ? "Mono" : "Stereo"; }

CodecFormat Pcm(int rate, int bits, int channels) {
  return {QString("%1 Hz, %2 Bit, %3").arg(rate).arg(bits).arg(ChannelName(channels)), rate, channels, bits, 0};
}
CodecFormat Coded(int rate, int channels, int kbps) {
  return {QString("%1 kbit/s, %2 Hz, %3").arg(kbps).arg(rate).arg(ChannelName(channels)), rate, channels, 0, kbps};
}
CodecFormat Adpcm(int rate, int channels) {
  return {QString("%1 Hz, 4 Bit, %2").arg(rate).arg(ChannelName(channels)), rate, channels, 0, 0};
}
CodecFormat Law(int rate, int channels) {
  return {QString("%1 Hz, 8 Bit, %2").arg(rate).arg(ChannelName(channels)), rate, channels, 0, 0};
}

std::vector<CodecFormat> PcmFormats() {
  std::vector<CodecFormat> v;
  // CD quality first: a new setting takes the first format.
  for (int rate : {44100, 48000, 32000, 22050, 16000, 11025, 8000})
    for (int bits : {16, 8})
      for (int ch : {2, 1}) v.push_back(Pcm(rate, bits, ch));
  return v;
}
template <class F>
std::vector<CodecFormat> PerRateAndChannels(F make) {
  std::vector<CodecFormat> v;
  for (int rate : {44100, 22050, 11025, 8000})
    for (int ch : {2, 1}) v.push_back(make(rate, ch));
  return v;
}
std::vector<CodecFormat> Mp3Formats() {
  std::vector<CodecFormat> v;
  for (int kbps : {320, 256, 192, 160, 128, 112, 96, 64}) v.push_back(Coded(44100, 2, kbps));
  for (int kbps : {128, 96, 64, 48, 32}) v.push_back(Coded(44100, 1, kbps));
  for (int kbps : {64, 56, 48, 32}) v.push_back(Coded(22050, 2, kbps));
  for (int kbps : {56, 48, 32, 24}) v.push_back(Coded(22050, 1, kbps));
  for (int kbps : {24, 16, 8}) v.push_back(Coded(11025, 1, kbps));
  for (int kbps : {16, 8}) v.push_back(Coded(8000, 1, kbps));
  return v;
}
// WMA encoders need at least 24 kbps.
std::vector<CodecFormat> WmaFormats() {
  std::vector<CodecFormat> v;
  for (int kbps : {320, 256, 192, 160, 128, 96, 80, 64, 48, 32}) v.push_back(Coded(44100, 2, kbps));
  for (int kbps : {192, 128}) v.push_back(Coded(48000, 2, kbps));
  for (int kbps : {64, 48, 32}) v.push_back(Coded(44100, 1, kbps));
  for (int kbps : {64, 48}) v.push_back(Coded(32000, 2, kbps));
  v.push_back(Coded(22050, 2, 32));
  for (int kbps : {32, 24}) v.push_back(Coded(22050, 1, kbps));
  v.push_back(Coded(16000, 1, 24));
  v.push_back(Coded(8000, 1, 24));
  return v;
}

}  // namespace

const std::vector<CodecEntry>& AcmTags() {
  static const std::vector<CodecEntry> tags = {
      {"PCM", "pcm_s16le", PcmFormats()},
      {"MS ADPCM", "adpcm_ms", PerRateAndChannels(Adpcm)},
      {"IMA ADPCM", "adpcm_ima_wav", PerRateAndChannels(Adpcm)},
      {"A-Law", "pcm_alaw", PerRateAndChannels(Law)},
      {"u-Law", "pcm_mulaw", PerRateAndChannels(Law)},
      {"GSM 6.10", "libgsm_ms", {{"8000 Hz, Mono", 8000, 1, 0, 13}}},
      {"MPEG Layer-3", "libmp3lame", Mp3Formats()},
  };
  return tags;
}

const CodecEntry* FindAcmTag(const QString& name) {
  for (const CodecEntry& t : AcmTags())
    if (t.name == name) return &t;
  return nullptr;
}

const CodecFormat* FindAcmFormat(const CodecEntry& tag, const QString& name) {
  for (const CodecFormat& f : tag.formats)
    if (f.name == name) return &f;
  return nullptr;
}

const std::vector<CodecEntry>& WmaCodecs() {
  static const std::vector<CodecEntry> codecs = {
      {"Windows Media Audio 2", "wmav2", WmaFormats()},
      {"Windows Media Audio 1", "wmav1", WmaFormats()},
  };
  return codecs;
}
