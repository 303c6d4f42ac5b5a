#include "backend/audio/FfmpegSink.h"

#include <QFile>
#include <cstring>

#include "backend/audio/FfmpegUtil.h"
#include "backend/audio/OutputFile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

struct FfmpegSink::Impl {
  const char* muxer;
  const char* encoder;
  int64_t bitRate;
  QString path;
  AVFormatContext* oc = nullptr;
  AVCodecContext* ctx = nullptr;
  AVStream* st = nullptr;
  SwrContext* swr = nullptr;  // S16 interleaved to the encoder's sample format
  AVAudioFifo* fifo = nullptr;
  AVFrame* frame = av_frame_alloc();
  AVPacket* pkt = av_packet_alloc();
  int frameSize = 0;
  int64_t pts = 0;
  bool sizeLimited = false;  // WAV keeps its sizes in 32-bit fields
  int errnum = 0;            // of the last failed open or write
  uint8_t** conv = nullptr;  // converted samples of one Write
  int convFrames = 0;

  void FreeConversionBuffer() {
    if (conv) av_freep(&conv[0]);
    av_freep(&conv);
    convFrames = 0;
  }

  void Close() {
    if (oc && oc->pb) avio_closep(&oc->pb);
    avformat_free_context(oc);
    oc = nullptr;
    avcodec_free_context(&ctx);
    swr_free(&swr);
    if (fifo) av_audio_fifo_free(fifo);
    fifo = nullptr;
    FreeConversionBuffer();
  }
  ~Impl() {
    Close();
    av_frame_free(&frame);
    av_packet_free(&pkt);
  }
  QString WriteError(int r) {
    errnum = SystemErrno(r);
    return "Cannot write " + path + " (" + AvErrorText(r) + ").";
  }
  bool Drain(QString* error);
  bool Fits(const AVPacket* p, QString* error) const;
  bool Encode(AVFrame* f, QString* error);
};

FfmpegSink::FfmpegSink(const char* muxer, const char* encoder, PcmFormat format, int64_t bitRate)
    : d(std::make_unique<Impl>()) {
  format_ = format;
  d->muxer = muxer;
  d->encoder = encoder;
  d->bitRate = bitRate;
  d->sizeLimited = std::strcmp(muxer, "wav") == 0;
  QuietFfmpegLog();
}

FfmpegSink::~FfmpegSink() { Cancel(); }

namespace {
AVSampleFormat PickSampleFormat(const AVCodec* c) {
  if (!c->sample_fmts) return AV_SAMPLE_FMT_S16;
  for (const AVSampleFormat* f = c->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
    if (*f == AV_SAMPLE_FMT_S16) return *f;
  return c->sample_fmts[0];
}
}  // namespace

bool FfmpegSink::Open(const QString& path, const AudioTags& tags, QString* error) {
  Impl& m = *d;
  m.path = path;
  m.errnum = 0;
  auto fail = [&](const QString& why) {
    *error = why;
    Cancel();
    return false;
  };
  const AVCodec* codec = avcodec_find_encoder_by_name(m.encoder);
  if (!codec) return fail(QString("The encoder %1 is not available.").arg(m.encoder));
  QByteArray name = QFile::encodeName(path);
  if (avformat_alloc_output_context2(&m.oc, nullptr, m.muxer, name.constData()) < 0)
    return fail(QString("The %1 writer is not available.").arg(m.muxer));
  m.ctx = avcodec_alloc_context3(codec);
  m.ctx->sample_rate = format_.sampleRate;
  av_channel_layout_default(&m.ctx->ch_layout, format_.channels);
  m.ctx->sample_fmt = PickSampleFormat(codec);
  m.ctx->bit_rate = m.bitRate;
  m.ctx->time_base = AVRational{1, format_.sampleRate};
  if (m.oc->oformat->flags & AVFMT_GLOBALHEADER) m.ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  int r = avcodec_open2(m.ctx, codec, nullptr);
  if (r < 0)
    return fail(QString("The encoder %1 does not accept %2 Hz, %3 channel(s)%4 (%5).")
                    .arg(m.encoder)
                    .arg(format_.sampleRate)
                    .arg(format_.channels)
                    .arg(m.bitRate ? QString(", %1 kbit/s").arg(m.bitRate / 1000) : QString())
                    .arg(AvErrorText(r)));
  m.frameSize = m.ctx->frame_size > 0 ? m.ctx->frame_size : 1024;
  // Block codecs (ADPCM) leave the bit rate open; the WAV header's byte rate needs it.
  if (m.ctx->bit_rate == 0 && m.ctx->frame_size > 0 && m.ctx->block_align > 0)
    m.ctx->bit_rate = int64_t(m.ctx->block_align) * 8 * format_.sampleRate / m.ctx->frame_size;
  m.st = avformat_new_stream(m.oc, nullptr);
  avcodec_parameters_from_context(m.st->codecpar, m.ctx);
  m.st->time_base = m.ctx->time_base;
  for (auto [key, value] : tags.ByKey().asKeyValueRange())
    av_dict_set(&m.oc->metadata, key.toUtf8().constData(), value.toUtf8().constData(), 0);
  m.oc->flags |= AVFMT_FLAG_BITEXACT;
  r = avio_open(&m.oc->pb, name.constData(), AVIO_FLAG_WRITE);
  if (r < 0) return fail(m.WriteError(r));
  r = avformat_write_header(m.oc, nullptr);
  if (r < 0) return fail(m.WriteError(r));
  if (m.ctx->sample_fmt != AV_SAMPLE_FMT_S16) {
    swr_alloc_set_opts2(&m.swr, &m.ctx->ch_layout, m.ctx->sample_fmt, format_.sampleRate, &m.ctx->ch_layout,
                        AV_SAMPLE_FMT_S16, format_.sampleRate, 0, nullptr);
    if (!m.swr || swr_init(m.swr) < 0) return fail("Cannot prepare the sample conversion for " + QString(m.encoder));
  }
  m.fifo = av_audio_fifo_alloc(m.ctx->sample_fmt, format_.channels, m.frameSize * 4);
  return true;
}

// A WAV file whose data would pass the size fields' limit (with the pad byte
// of an odd length) is refused before the packet is written.
bool FfmpegSink::Impl::Fits(const AVPacket* p, QString* error) const {
  if (!sizeLimited) return true;
  const int64_t end = avio_tell(oc->pb) + p->size;
  if (end + (end & 1) <= SizeFieldLimit()) return true;
  *error = "Cannot write " + path + ": a WAV file cannot be larger than 4 GB.";
  return false;
}

bool FfmpegSink::Impl::Encode(AVFrame* f, QString* error) {
  int r = avcodec_send_frame(ctx, f);
  if (r < 0) {
    *error = QString("The encoder %1 failed (%2).").arg(encoder, AvErrorText(r));
    return false;
  }
  while ((r = avcodec_receive_packet(ctx, pkt)) == 0) {
    av_packet_rescale_ts(pkt, ctx->time_base, st->time_base);
    pkt->stream_index = st->index;
    if (!Fits(pkt, error)) {
      av_packet_unref(pkt);
      return false;
    }
    r = av_interleaved_write_frame(oc, pkt);
    if (r < 0 || oc->pb->error < 0) {
      *error = WriteError(r < 0 ? r : oc->pb->error);
      return false;
    }
  }
  if (r != AVERROR(EAGAIN) && r != AVERROR_EOF) {
    *error = QString("The encoder %1 failed (%2).").arg(encoder, AvErrorText(r));
    return false;
  }
  return true;
}

// Encodes every whole frame waiting in the queue.
bool FfmpegSink::Impl::Drain(QString* error) {
  while (av_audio_fifo_size(fifo) >= frameSize) {
    av_frame_unref(frame);
    frame->nb_samples = frameSize;
    frame->format = ctx->sample_fmt;
    frame->sample_rate = ctx->sample_rate;
    av_channel_layout_copy(&frame->ch_layout, &ctx->ch_layout);
    if (av_frame_get_buffer(frame, 0) < 0) {
      *error = "Out of memory.";
      return false;
    }
    av_audio_fifo_read(fifo, reinterpret_cast<void**>(frame->data), frameSize);
    frame->pts = pts;
    pts += frameSize;
    if (!Encode(frame, error)) return false;
  }
  return true;
}

bool FfmpegSink::Write(const void* data, int frames, QString* error) {
  Impl& m = *d;
  if (frames <= 0) return true;
  const uint8_t* in = static_cast<const uint8_t*>(data);
  if (!m.swr) {
    av_audio_fifo_write(m.fifo, reinterpret_cast<void**>(const_cast<uint8_t**>(&in)), frames);
  } else {
    if (frames > m.convFrames) {
      m.FreeConversionBuffer();
      av_samples_alloc_array_and_samples(&m.conv, nullptr, format_.channels, frames, m.ctx->sample_fmt, 0);
      m.convFrames = frames;
    }
    int got = swr_convert(m.swr, m.conv, frames, &in, frames);
    if (got > 0) av_audio_fifo_write(m.fifo, reinterpret_cast<void**>(m.conv), got);
  }
  return m.Drain(error);
}

bool FfmpegSink::Finish(QString* error) {
  Impl& m = *d;
  auto fail = [&](const QString& why) {
    *error = why;
    Cancel();
    return false;
  };
  const int rest = av_audio_fifo_size(m.fifo);
  if (rest > 0) {
    // Pad the last frame with silence when the codec takes whole frames only.
    const bool small = m.ctx->codec->capabilities & (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
    if (small) {
      m.frameSize = rest;
    } else {
      uint8_t** silence = nullptr;
      const int pad = m.frameSize - rest;
      av_samples_alloc_array_and_samples(&silence, nullptr, format_.channels, pad, m.ctx->sample_fmt, 0);
      av_samples_set_silence(silence, 0, pad, format_.channels, m.ctx->sample_fmt);
      av_audio_fifo_write(m.fifo, reinterpret_cast<void**>(silence), pad);
      av_freep(&silence[0]);
      av_freep(&silence);
    }
    if (!m.Drain(error)) return fail(*error);
  }
  if (!m.Encode(nullptr, error)) return fail(*error);
  int r = av_write_trailer(m.oc);
  if (r < 0) return fail(m.WriteError(r));
  avio_flush(m.oc->pb);
  if (m.oc->pb->error < 0) return fail(m.WriteError(m.oc->pb->error));
  r = avio_closep(&m.oc->pb);
  if (r < 0) return fail(m.WriteError(r));
  m.Close();
  return true;
}

int FfmpegSink::Errno() const { return d->errnum; }

void FfmpegSink::Cancel() {
  const bool created = d->oc && d->oc->pb;
  d->Close();
  if (created) QFile::remove(d->path);
}
