#include "backend/audio/OggSink.h"

#include <vorbis/vorbisenc.h>

#include <QRandomGenerator>
#include <algorithm>

struct OggSink::Impl {
  vorbis_info vi;
  vorbis_comment vc;
  vorbis_dsp_state vd;
  vorbis_block vb;
  ogg_stream_state os;
  bool started = false;

  Impl() {
    vorbis_info_init(&vi);
    vorbis_comment_init(&vc);
  }
  ~Impl() {
    if (started) {
      ogg_stream_clear(&os);
      vorbis_block_clear(&vb);
      vorbis_dsp_clear(&vd);
    }
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
  }
};

namespace {
bool AcceptsBitrate(int channels, int rate, int kbps) {
  vorbis_info vi;
  vorbis_info_init(&vi);
  const bool ok = vorbis_encode_setup_managed(&vi, channels, rate, -1, long(kbps) * 1000, -1) == 0;
  vorbis_info_clear(&vi);
  return ok;
}

// The encoder takes a range of nominal bit rates that depends on the rate and
// channels (at 44.1 kHz stereo not below about 45 kbit/s, at 8 kHz not above
// about 42): the asked one or the nearest it takes, 0 when it takes none.
int NearestBitrate(int channels, int rate, int kbps) {
  constexpr int kMaxKbps = 1000;
  kbps = std::clamp(kbps, 1, kMaxKbps);
  for (int step = 0; step < kMaxKbps; ++step) {
    if (kbps - step >= 1 && AcceptsBitrate(channels, rate, kbps - step)) return kbps - step;
    if (kbps + step <= kMaxKbps && AcceptsBitrate(channels, rate, kbps + step)) return kbps + step;
  }
  return 0;
}
}  // namespace

OggSink::OggSink(const OggFormatRecord& record, PcmFormat source) : d(std::make_unique<Impl>()), record_(record) {
  format_.sampleRate = source.sampleRate;
  format_.channels = std::clamp(source.channels, 1, 2);
}

OggSink::~OggSink() { Cancel(); }

bool OggSink::Open(const QString& path, const AudioTags& tags, QString* error) {
  const int kbps = record_.Mode == 2 ? NearestBitrate(format_.channels, format_.sampleRate, record_.NominalBitrate) : 0;
  int r = record_.Mode == 2
              ? vorbis_encode_init(&d->vi, format_.channels, format_.sampleRate, -1, long(kbps) * 1000, -1)
              : vorbis_encode_init_vbr(&d->vi, format_.channels, format_.sampleRate,
                                       std::clamp(record_.Quality, 0, 100) / 100.0f);
  if (r != 0) {
    *error = record_.Mode == 2 ? QString("The OGG encoder does not accept %1 kbit/s at %2 Hz, %3 channel(s).")
                                     .arg(record_.NominalBitrate)
                                     .arg(format_.sampleRate)
                                     .arg(format_.channels)
                               : QString("The OGG encoder does not accept %1 Hz, %2 channel(s).")
                                     .arg(format_.sampleRate)
                                     .arg(format_.channels);
    return false;
  }
  const std::pair<const char*, QString> comments[] = {
      {"TITLE", tags.title}, {"ARTIST", tags.artist},       {"ALBUM", tags.album},  {"DATE", tags.year},
      {"GENRE", tags.genre}, {"TRACKNUMBER", tags.track}, {"COMMENT", tags.comment}};
  for (const auto& [key, value] : comments)
    if (!value.isEmpty()) vorbis_comment_add_tag(&d->vc, key, value.toUtf8().constData());
  vorbis_analysis_init(&d->vd, &d->vi);
  vorbis_block_init(&d->vd, &d->vb);
  ogg_stream_init(&d->os, int(QRandomGenerator::global()->generate() & 0x7fffffff));
  d->started = true;
  if (!file_.Open(path, error)) return false;
  ogg_packet header, comm, code;
  vorbis_analysis_headerout(&d->vd, &d->vc, &header, &comm, &code);
  ogg_stream_packetin(&d->os, &header);
  ogg_stream_packetin(&d->os, &comm);
  ogg_stream_packetin(&d->os, &code);
  return Flush(true, error);
}

// Writes the pages that are ready; all forces out the last partial page.
bool OggSink::Flush(bool all, QString* error) {
  ogg_page page;
  while (all ? ogg_stream_flush(&d->os, &page) : ogg_stream_pageout(&d->os, &page)) {
    if (!file_.Write(page.header, size_t(page.header_len), error) || !file_.Write(page.body, size_t(page.body_len), error))
      return false;
  }
  return true;
}

bool OggSink::Write(const void* data, int frames, QString* error) {
  const int16_t* pcm = static_cast<const int16_t*>(data);
  const int ch = format_.channels;
  if (frames > 0) {
    float** buf = vorbis_analysis_buffer(&d->vd, frames);
    for (int i = 0; i < frames; ++i)
      for (int c = 0; c < ch; ++c) buf[c][i] = pcm[i * ch + c] / 32768.0f;
  }
  vorbis_analysis_wrote(&d->vd, frames);
  ogg_packet packet;
  while (vorbis_analysis_blockout(&d->vd, &d->vb) == 1) {
    vorbis_analysis(&d->vb, nullptr);
    vorbis_bitrate_addblock(&d->vb);
    while (vorbis_bitrate_flushpacket(&d->vd, &packet)) {
      ogg_stream_packetin(&d->os, &packet);
      if (!Flush(false, error)) return false;
    }
  }
  return true;
}

bool OggSink::Finish(QString* error) {
  if (!Write(nullptr, 0, error) || !Flush(true, error) || !file_.Close(error)) {
    Cancel();
    return false;
  }
  return true;
}

void OggSink::Cancel() { file_.Cancel(); }
