#include "backend/audio/AudioSink.h"

#include "backend/audio/ApeSink.h"
#include "backend/audio/CodecTables.h"
#include "backend/audio/FfmpegSink.h"
#include "backend/audio/Mp3Sink.h"
#include "backend/audio/OggSink.h"

QMap<QString, QString> AudioTags::ByKey() const {
  QMap<QString, QString> m;
  const std::pair<const char*, QString> all[] = {{"title", title}, {"artist", artist}, {"album", album},
                                                 {"date", year},   {"comment", comment}, {"genre", genre},
                                                 {"track", track}};
  for (const auto& [key, value] : all)
    if (!value.isEmpty()) m.insert(key, value);
  return m;
}

namespace {

std::unique_ptr<AudioSink> WavSink(const WavFormatRecord& r, PcmFormat source) {
  PcmFormat f{r.SampleRate > 0 ? r.SampleRate : source.sampleRate, r.Channels == 1 ? 1 : 2};
  return std::make_unique<FfmpegSink>("wav", r.BitsPerSample == 8 ? "pcm_u8" : "pcm_s16le", f, 0);
}

std::unique_ptr<AudioSink> AcmSink(const AudioJobSettings& s, QString* error) {
  const CodecEntry* tag = FindAcmTag(s.acmTag);
  const CodecFormat* format = tag ? FindAcmFormat(*tag, s.acmFormat) : nullptr;
  if (!format) {
    *error = QString("Unknown compressed WAV format: \"%1\", \"%2\".").arg(s.acmTag, s.acmFormat);
    return nullptr;
  }
  const char* encoder = format->bits == 8 ? "pcm_u8" : tag->encoder;
  return std::make_unique<FfmpegSink>("wav", encoder, PcmFormat{format->sampleRate, format->channels},
                                      int64_t(format->kbps) * 1000);
}

std::unique_ptr<AudioSink> WmaSink(const WmaFormatRecord& r, QString* error) {
  const auto& codecs = WmaCodecs();
  if (r.CodecIndex < 0 || size_t(r.CodecIndex) >= codecs.size() || r.FormatIndex < 0 ||
      size_t(r.FormatIndex) >= codecs[r.CodecIndex].formats.size()) {
    *error = QString("Unknown WMA format: codec %1, format %2.").arg(r.CodecIndex).arg(r.FormatIndex);
    return nullptr;
  }
  const CodecEntry& codec = codecs[r.CodecIndex];
  const CodecFormat& f = codec.formats[r.FormatIndex];
  return std::make_unique<FfmpegSink>("asf", codec.encoder, PcmFormat{f.sampleRate, f.channels},
                                      int64_t(f.kbps) * 1000);
}

}  // namespace

std::unique_ptr<AudioSink> MakeAudioSink(const AudioJobSettings& s, PcmFormat source, QString* error) {
  switch (s.destinationFormat) {
    case DestWav: return WavSink(s.wav, source);
    case DestAcm: return AcmSink(s, error);
    case DestMp3: return std::make_unique<Mp3Sink>(s.mp3, source);
    case DestWma: return WmaSink(s.wma, error);
    case DestOgg: return std::make_unique<OggSink>(s.ogg, source);
    case DestApe: return std::make_unique<ApeSink>(s.apeLevel, source);
    default: *error = QString("Unknown destination format %1.").arg(s.destinationFormat); return nullptr;
  }
}
