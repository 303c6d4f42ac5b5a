#include "settings/OutputFormatStore.h"

#include <limits>

long g_lWavSampleRate = 0;
long g_lWavBits = 0;
long g_lWavChannelsIndex = 0;
QString g_sAcmTag;
QString g_sAcmFormat;
bool g_bMp3Abr = false;
Mp3FormatRecord g_tMp3Settings;
long g_lWmaCodecIndex = 0;
long g_lWmaFormatIndex = 0;
bool g_bOggQualityMode = false;
long g_lOggQuality = 0;
bool g_bOggBitrateMode = false;
long g_lOggBitrate = 0;
long g_lApeLevel = 0;

namespace {
template <class T>
T fit(long value) {
  if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) return 0;
  return T(value);
}
}  // namespace

namespace OutputFormatStore {

WavFormatRecord WavFormat() {
  WavFormatRecord r;
  r.SampleRate = fit<int32_t>(g_lWavSampleRate);
  r.Channels = fit<int16_t>(g_lWavChannelsIndex + 1);
  r.BitsPerSample = fit<int16_t>(g_lWavBits);
  return r;
}

Mp3FormatRecord Mp3Format() {
  Mp3FormatRecord r = g_tMp3Settings;
  r.VbrMethod = 0;
  r.WriteVbrTag = 0;
  if (g_tMp3Settings.WriteVbrTag) {
    r.VbrMethod = 4;
    r.WriteVbrTag = -1;
  }
  if (g_bMp3Abr) r.VbrMethod = 3;
  return r;
}

WmaFormatRecord WmaFormat() {
  WmaFormatRecord r;
  r.CodecIndex = fit<int32_t>(g_lWmaCodecIndex);
  r.FormatIndex = fit<int32_t>(g_lWmaFormatIndex);
  return r;
}

OggFormatRecord OggFormat() {
  OggFormatRecord r;
  if (g_bOggBitrateMode) {
    r.Mode = 2;
    r.NominalBitrate = fit<int32_t>(g_lOggBitrate);
  } else {
    r.Quality = fit<int32_t>(g_lOggQuality);
  }
  return r;
}

}  // namespace OutputFormatStore
