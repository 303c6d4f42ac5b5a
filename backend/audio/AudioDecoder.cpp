#include "backend/audio/AudioDecoder.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <cmath>

#include "backend/audio/FfmpegUtil.h"
#include "backend/audio/FormatLimits.h"
#include "backend/audio/MpegFrames.h"
#include "backend/audio/StreamLength.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

QString AvErrorText(int code) {
  char buf[AV_ERROR_MAX_STRING_SIZE] = {0};
  av_strerror(code, buf, sizeof buf);
  return QString::fromUtf8(buf);
}

// FFmpeg's own codes are negated tags, far beyond any errno.
int SystemErrno(int code) {
  constexpr int kLastErrno = 4095;
  return code < 0 && code >= -kLastErrno ? AVUNERROR(code) : 0;
}

void QuietFfmpegLog() { av_log_set_level(AV_LOG_QUIET); }

namespace {
constexpr int64_t NoEnd = INT64_MAX;

// Running out of open files says nothing of the file: it is not called damaged.
QString OpenFailure(const QString& path, int code) {
  if (code == AVERROR(EMFILE) || code == AVERROR(ENFILE))
    return "The file " + path + " cannot be opened (" + AvErrorText(code) + ").";
  return "The file " + path + " is not an audio file or is damaged (" + AvErrorText(code) + ").";
}

// Dialogic VOX files are headerless 4-bit ADPCM, 8000 Hz mono: read them as
// raw bytes (one byte holds two samples) and decode them as OKI ADPCM.
int OpenVox(AVFormatContext** fmt, const QByteArray& name) {
  AVDictionary* opts = nullptr;
  av_dict_set(&opts, "sample_rate", "8000", 0);
  av_dict_set(&opts, "ch_layout", "mono", 0);
  int r = avformat_open_input(fmt, name.constData(), av_find_input_format("u8"), &opts);
  av_dict_free(&opts);
  if (r < 0) return r;
  if ((*fmt)->nb_streams != 1) return AVERROR_INVALIDDATA;
  AVStream* st = (*fmt)->streams[0];
  st->codecpar->codec_id = AV_CODEC_ID_ADPCM_IMA_OKI;
  st->codecpar->bits_per_coded_sample = 4;
  st->codecpar->bit_rate = 32000;
  st->duration = avio_size((*fmt)->pb);  // in bytes, the raw reader's ticks
  return 0;
}

bool IsPcmCodec(AVCodecID id) { return id >= AV_CODEC_ID_FIRST_AUDIO && id < AV_CODEC_ID_ADPCM_IMA_QT; }

// Bytes and 16-bit samples decode exactly into their own depth; wider integer
// and float samples of a source of more than 16 bits into 24 bits.
int PcmBitsOf(AVSampleFormat format, int bitsPerSample) {
  switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8: return 8;
    case AV_SAMPLE_FMT_S16: return 16;
    default: return bitsPerSample > 16 ? 24 : 16;
  }
}

// An MP3 frame's data may begin up to 511 (MPEG-1) or 255 (MPEG-2 and 2.5)
// bytes before its header, in the data of the frames before it. The fewest
// data bytes a frame carries are those of the version's lowest bit rate at
// the stream's rate, less the header, a CRC and the side information of two
// channels: one byte at 24 kHz. The decoder needs the frames holding all of
// that reach, then one more for its transform's overlap and one for its
// synthesis filter.
int64_t Mp3PrerollSamples(int rate) {
  const bool mpeg1 = rate >= 32000;
  const int reach = mpeg1 ? 511 : 255;
  const int frameBytes = (mpeg1 ? 144000 * 32 : 72000 * 8) / rate;
  const int dataBytes = std::max(frameBytes - 4 - 2 - (mpeg1 ? 32 : 17), 1);
  const int64_t frames = (reach + dataBytes - 1) / dataBytes + 2;
  return frames * (mpeg1 ? 1152 : 576);
}

// A lossy decoder needs the frames before a seek point to rebuild its state
// (overlapping transforms, an MP3 frame's data reaching back over several
// frames); decoding them and dropping their samples makes a range equal the
// same samples of a whole-file decode.
int64_t PrerollSamples(const AVCodecContext* codec) {
  if (IsPcmCodec(codec->codec_id)) return 0;
  if (codec->codec_id == AV_CODEC_ID_MP3) return Mp3PrerollSamples(codec->sample_rate);
  constexpr int kFrames = 10;
  const int64_t frames = int64_t(codec->frame_size > 0 ? codec->frame_size : 2048) * kFrames;
  return std::max<int64_t>(frames, codec->seek_preroll);
}

// ADPCM in WAV is stamped by its byte position over a byte rate the header
// states only roughly, not by whole blocks; other ADPCM (VOX's, QuickTime's)
// and GSM carry their state from the file's start. No seek lands exactly in
// these: a range is read from the beginning, its position counted in samples
// from there.
bool ReadsFromTheStart(AVCodecID id) {
  const bool adpcm = id >= AV_CODEC_ID_ADPCM_IMA_QT && id < AV_CODEC_ID_AMR_NB;
  return adpcm || id == AV_CODEC_ID_GSM || id == AV_CODEC_ID_GSM_MS;
}

// Each block of these starts the decoder afresh.
bool HasIndependentBlocks(AVCodecID id) {
  return id == AV_CODEC_ID_ADPCM_IMA_WAV || id == AV_CODEC_ID_ADPCM_MS;
}

QString ImplausibleFormat(const QString& path, const AVCodecParameters* par) {
  return QString("The file %1 is damaged: its header states %2 Hz and %3 channels.")
      .arg(path)
      .arg(par->sample_rate)
      .arg(par->ch_layout.nb_channels);
}

// An MP3 stream's time base is a multiple of every MPEG rate: exact in ticks.
int64_t SampleTicks(int64_t samples, int rate, AVRational tb) { return av_rescale(samples, tb.den, int64_t(rate) * tb.num); }

AVSampleFormat SampleFormatFor(int bits) {
  return bits == 8 ? AV_SAMPLE_FMT_U8 : bits == 24 ? AV_SAMPLE_FMT_S32 : AV_SAMPLE_FMT_S16;
}
}  // namespace

struct AudioDecoder::Impl {
  struct SourceFormat {
    int sampleFormat = -1;
    int sampleRate = 0;
    int channels = 0;
    bool operator==(const SourceFormat&) const = default;
  };

  QString path;
  AVFormatContext* fmt = nullptr;
  AVCodecContext* codec = nullptr;
  SwrContext* swr = nullptr;
  SourceFormat swrFormat;  // what swr was set up for
  AVPacket* pkt = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  AVFrame* held = av_frame_alloc();  // the frame Pcm() points into
  AVStream* st = nullptr;
  int samplesPerTick = 1;  // decoded samples per container time-base tick
  int outRate = 0;
  int outChannels = 0;
  AVSampleFormat outFormat = AV_SAMPLE_FMT_S16;
  int outBlock = 0;  // bytes per output frame
  int64_t startSample = 0;  // input samples
  int64_t endSample = NoEnd;
  int64_t position = 0;
  bool havePosition = false;
  // The timestamp of the first frame a decode from the beginning delivers:
  // positions count from it, so that a range and a whole-file decode agree
  // even where the decoder holds back its first packets (WMA).
  int64_t origin = AV_NOPTS_VALUE;
  int64_t knownLength = -1;  // samples, the length measured: a decode ending short of it met damage
  int64_t totalLength = -1;  // samples, the length progress is shown against
  int64_t dataStart = 0;     // where the demuxer left the file after its header
  StreamLength length;       // as a decode gives it; samples 0: not measured
  bool started = false;
  bool draining = false;
  bool finished = false;
  int64_t decodedFrames = 0;

  int64_t StartTime() const { return st->start_time != AV_NOPTS_VALUE ? st->start_time : 0; }
  void FindOrigin();
  bool TakeHeader();
  bool TakeMpegHeader();
  bool NextMpegFrame(MpegFrame* frame);
  void TakeMpegFormat(const MpegFrame& frame);
  bool CountMpegFrames();
  void TrimEncoderGap();
  int64_t EndDiscard(int64_t samples) const;
  void TakeLength(int64_t ticks);
  bool MeasureLength();
  bool PcmLength();
  MpegEncoderGap gap;  // rate 0: none the decoder drops
  MpegInfoFrame infoFrame;  // frames -1: no count the demuxer takes
  const std::atomic<bool>* stop = nullptr;  // ends a probe's frame count
  bool readAhead = false;  // the header look read frames
  int64_t PositionOf(int64_t ts, const AVFrame& f) const;
  bool PassOver(const AVPacket& p);

  ~Impl() {
    swr_free(&swr);
    avcodec_free_context(&codec);
    avformat_close_input(&fmt);
    av_packet_free(&pkt);
    av_frame_free(&frame);
    av_frame_free(&held);
  }
};

AudioDecoder::AudioDecoder() { QuietFfmpegLog(); }
AudioDecoder::~AudioDecoder() = default;

void AudioDecoder::Close() {
  d.reset();
  info_ = AudioInfo();
}

bool AudioDecoder::Open(const QString& path, QString* error) { return OpenFile(path, false, error); }

bool AudioDecoder::Probe(const QString& path, QString* error, const std::atomic<bool>* stop) {
  return OpenFile(path, true, error, stop);
}

bool AudioDecoder::OpenFile(const QString& path, bool probeOnly, QString* error, const std::atomic<bool>* stop) {
  Close();
  errno_ = 0;
  auto fail = [&](const QString& why) {
    *error = why;
    d.reset();
    return false;
  };
  auto failOpen = [&](int code) {
    errno_ = SystemErrno(code);
    return fail(OpenFailure(path, code));
  };
  if (!QFileInfo(path).isFile()) return fail("The file " + path + " does not exist.");
  d = std::make_unique<Impl>();
  d->path = path;
  d->stop = stop;
  QByteArray name = QFile::encodeName(path);
  const bool vox = QFileInfo(path).suffix().compare("vox", Qt::CaseInsensitive) == 0;
  auto openInput = [&] {
    if (vox) return OpenVox(&d->fmt, name);
    const int opened = avformat_open_input(&d->fmt, name.constData(), nullptr, nullptr);
    if (opened < 0) return opened;
    d->dataStart = avio_tell(d->fmt->pb);
    d->TrimEncoderGap();
    return opened;
  };
  // Every length shown or planned with is the one a decode gives.
  auto measured = [&] {
    if (vox || d->length.samples > 0 || d->MeasureLength()) return true;
    if (stop && *stop) return fail("Probing " + path + " was stopped.");
    return fail("No audio could be decoded from " + path + ".");
  };
  int r = openInput();
  if (r < 0) return failOpen(r);
  if (!vox) {
    if (d->TakeHeader() && probeOnly) {
      if (!PlausibleFormat(d->st->codecpar->sample_rate, d->st->codecpar->ch_layout.nb_channels))
        return fail(ImplausibleFormat(path, d->st->codecpar));
      if (!measured()) return false;
      TakeInfo();
      return true;
    }
    if (stop && *stop) return fail("Probing " + path + " was stopped.");
    // The full probe starts from the beginning, as it always does.
    if (d->readAhead) {
      avformat_close_input(&d->fmt);
      r = openInput();
      if (r < 0) return failOpen(r);
    }
  }
  r = vox ? 0 : avformat_find_stream_info(d->fmt, nullptr);
  if (r < 0) return fail("The file " + path + " is damaged (" + AvErrorText(r) + ").");
  if (vox) d->samplesPerTick = 2;
  const AVCodec* dec = nullptr;
  int s = av_find_best_stream(d->fmt, AVMEDIA_TYPE_AUDIO, -1, -1, &dec, 0);
  if (s < 0 || !dec) return fail("The file " + path + " holds no audio that can be decoded.");
  d->st = d->fmt->streams[s];
  const AVCodecParameters* par = d->st->codecpar;
  if (par->sample_rate <= 0 || par->ch_layout.nb_channels <= 0)
    return fail("The file " + path + " holds no audio that can be decoded.");
  if (!PlausibleFormat(par->sample_rate, par->ch_layout.nb_channels)) return fail(ImplausibleFormat(path, par));
  d->codec = avcodec_alloc_context3(dec);
  avcodec_parameters_to_context(d->codec, par);
  d->codec->pkt_timebase = d->st->time_base;
  r = avcodec_open2(d->codec, dec, nullptr);
  if (r < 0) return fail("The audio of " + path + " cannot be decoded (" + AvErrorText(r) + ").");
  if (!measured()) return false;

  TakeInfo();
  info_.pcmBits = PcmBitsOf(d->codec->sample_fmt, info_.bitsPerSample);
  return true;
}

void AudioDecoder::TakeInfo() {
  const AVCodecParameters* par = d->st->codecpar;
  info_.sampleRate = par->sample_rate;
  info_.channels = par->ch_layout.nb_channels;
  info_.bitsPerSample = par->bits_per_raw_sample > 0                               ? par->bits_per_raw_sample
                        : IsPcmCodec(par->codec_id) && par->bits_per_coded_sample > 0 ? par->bits_per_coded_sample
                                                                                     : 16;
  if (d->length.samples > 0) {
    info_.durationMs = d->length.us / 1000;
    d->totalLength = d->knownLength = d->length.samples;
  } else if (d->st->duration != AV_NOPTS_VALUE && d->st->duration > 0) {
    // A VOX file's bytes: each holds two samples.
    const int64_t us = av_rescale_q(d->st->duration * d->samplesPerTick, d->st->time_base, AVRational{1, AV_TIME_BASE});
    info_.durationMs = us / 1000;
    d->totalLength = d->knownLength = av_rescale(us, par->sample_rate, AV_TIME_BASE);
  }
  int64_t bitrate = par->bit_rate > 0 ? par->bit_rate : d->fmt->bit_rate;
  info_.bitrateKbps = long((bitrate + 500) / 1000);
}

// A PCM WAV states its format and length in its header, as do an Ogg Vorbis
// file (its first and last pages) and a WMA file (its file and stream
// properties). These give the values a full probe gives, without decoding;
// any other file is probed in full.
bool AudioDecoder::Impl::TakeHeader() {
  if (fmt->nb_streams < 1) return false;
  st = fmt->streams[0];
  const AVCodecParameters* par = st->codecpar;
  if (par->codec_type != AVMEDIA_TYPE_AUDIO) return false;
  const QByteArray format = fmt->iformat->name;
  // An MP3's pictures (ID3v2 tag) come as streams after its audio.
  if (format == "mp3") return TakeMpegHeader();
  if (fmt->nb_streams != 1) return false;
  const AVCodecID codec = par->codec_id;
  const bool stated = (format == "wav" && IsPcmCodec(codec)) || (format == "ogg" && codec == AV_CODEC_ID_VORBIS) ||
                      (format == "asf" && (codec == AV_CODEC_ID_WMAV1 || codec == AV_CODEC_ID_WMAV2));
  return stated && st->duration != AV_NOPTS_VALUE && st->duration > 0 && par->sample_rate > 0 &&
         par->ch_layout.nb_channels > 0;
}

bool AudioDecoder::Impl::NextMpegFrame(MpegFrame* frame) {
  readAhead = true;
  do {
    av_packet_unref(pkt);
    if (av_read_frame(fmt, pkt) < 0) return false;
  } while (pkt->stream_index != st->index);  // a picture comes first
  const bool known = pkt->size >= 4 && ReadMpegHeader(qFromBigEndian<quint32>(pkt->data), frame);
  av_packet_unref(pkt);
  return known;
}

void AudioDecoder::Impl::TakeMpegFormat(const MpegFrame& frame) {
  AVCodecParameters* par = st->codecpar;
  par->sample_rate = frame.rate;
  av_channel_layout_uninit(&par->ch_layout);
  av_channel_layout_default(&par->ch_layout, frame.channels);
}

// An MP3 states its format in each frame header. No number of frames proves
// the length (a VBR file may start with silence at one bit rate; files joined
// together may change the rate), and a count an Info frame states may be
// wrong (a file cut short, files joined, a count written wrong), so every
// frame is counted, each at its own rate. A stated count is taken only where
// the count fails and the bytes agree with it.
bool AudioDecoder::Impl::TakeMpegHeader() {
  if (CountMpegFrames()) return true;
  if ((stop && *stop) || st->duration == AV_NOPTS_VALUE || st->duration <= 0 || !infoFrame.CountHolds()) return false;
  MpegFrame first;
  if (!NextMpegFrame(&first)) return false;
  TakeMpegFormat(first);
  TakeLength(st->duration);
  return true;
}

// The samples the decoder drops as padding out of the first given: those from
// the end the Info frame's count and LAME tag place it, to the end of that
// frame (or of the audio, where the file ends before), wherever that lies.
int64_t AudioDecoder::Impl::EndDiscard(int64_t samples) const {
  if (gap.rate <= 0 || infoFrame.frames <= 0) return 0;
  const int64_t end = infoFrame.frames * infoFrame.frame.samples;
  return std::max<int64_t>(std::min(samples, end) - (end - gap.EndSkip()), 0);
}

void AudioDecoder::Impl::TakeLength(int64_t ticks) {
  length.samples = av_rescale_q(ticks, st->time_base, AVRational{1, st->codecpar->sample_rate});
  length.us = av_rescale_q(ticks, st->time_base, AVRational{1, AV_TIME_BASE});
}

// The length and the mean bit rate of the frames from where the demuxer found
// the first (no packet read yet) to the end, read from their headers, and
// their format. Where the format changes, it is the one a full probe reports
// (the frames that probe reads decide it).
bool AudioDecoder::Impl::CountMpegFrames() {
  MpegWalk walk;
  if (!WalkMpegFrames(path, avio_tell(fmt->pb), stop, &walk) || !walk.chained) return false;
  const AVRational tb = st->time_base;
  int64_t duration = 0, decoded = 0;  // decoded: every sample, whatever its rate, as a decode counts them
  for (const auto& [rate, samples] : walk.samples) {
    duration += SampleTicks(samples, rate, tb);
    decoded += samples;
  }
  const int64_t dropped = walk.sameFormat ? EndDiscard(decoded) : 0;
  duration -= SampleTicks(dropped, walk.first.rate, tb);
  decoded -= dropped;
  if (gap.rate > 0) {
    duration -= SampleTicks(gap.StartSkip(), gap.rate, tb);
    decoded -= gap.StartSkip();
  }
  if (duration <= 0) return false;
  if (walk.sameFormat) {
    TakeMpegFormat(walk.first);
  } else {
    readAhead = true;
    if (avformat_find_stream_info(fmt, nullptr) < 0) return false;
  }
  st->duration = duration;
  st->codecpar->bit_rate = av_rescale(8 * walk.bytes, tb.den, duration * tb.num);
  TakeLength(duration);
  length.samples = decoded;
  return true;
}

// The decoder drops the encoder's delay and padding a LAME tag states, where
// the demuxer read one (it starts the stream after the skip); the length the
// demuxer takes from the Info frame's frame count holds them. A length
// counted later loses the delay and what EndDiscard finds.
void AudioDecoder::Impl::TrimEncoderGap() {
  gap = MpegEncoderGap();
  infoFrame = MpegInfoFrame();
  if (QByteArray(fmt->iformat->name) != "mp3" || fmt->nb_streams < 1 || !ReadMpegInfoFrame(path, &infoFrame)) return;
  const MpegEncoderGap read = infoFrame.gap;
  AVStream* audio = fmt->streams[0];
  if (read.rate <= 0 || audio->start_time != SampleTicks(read.StartSkip(), read.rate, audio->time_base)) return;
  gap = read;
  if (audio->duration == AV_NOPTS_VALUE) return;
  const int64_t trimmed = audio->duration - SampleTicks(gap.StartSkip() + gap.EndSkip(), gap.rate, audio->time_base);
  if (trimmed > 0) audio->duration = trimmed;
}

// What a raw PCM container holds: the whole frames present, no more than its
// header states (chunks may follow the samples).
bool AudioDecoder::Impl::PcmLength() {
  const AVCodecParameters* par = st->codecpar;
  const int64_t block = par->block_align > 0 ? par->block_align
                                             : int64_t(av_get_bits_per_sample(par->codec_id)) * par->ch_layout.nb_channels / 8;
  const int64_t size = avio_size(fmt->pb);
  if (block <= 0 || size < dataStart) return false;
  int64_t frames = (size - dataStart) / block;
  if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
    frames = std::min(frames, av_rescale_q(st->duration, st->time_base, AVRational{1, par->sample_rate}));
  length.samples = frames;
  length.us = av_rescale(frames, AV_TIME_BASE, par->sample_rate);
  return frames > 0;
}

// The cheapest way to the decode's length the file allows. A header's length
// counts only where nothing can make it differ from the decode: an Ogg file of
// one stream states its end in its last page.
bool AudioDecoder::Impl::MeasureLength() {
  const QByteArray format = fmt->iformat->name;
  const AVCodecID codec = st->codecpar->codec_id;
  if (IsPcmCodec(codec) && (format == "wav" || format == "aiff" || format == "au") && PcmLength()) return true;
  if (format == "ogg" && codec == AV_CODEC_ID_VORBIS && st->duration > 0 && OggHasOneStream(path)) {
    TakeLength(st->duration);
    return true;
  }
  const bool parsed = (format == "mp3" || format == "aac") &&
                      (codec == AV_CODEC_ID_MP1 || codec == AV_CODEC_ID_MP2 || codec == AV_CODEC_ID_MP3 || codec == AV_CODEC_ID_AAC);
  const LengthWay way = parsed ? LengthWay::Packets : format == "ape" ? LengthWay::LastIndexed : LengthWay::Decode;
  if (MeasureStream(path, way, stop, &length)) return true;
  return !(stop && *stop) && way != LengthWay::Decode && MeasureStream(path, LengthWay::Decode, stop, &length);
}

AudioTags AudioDecoder::Tags() const {
  AudioTags t;
  if (!d) return t;
  auto get = [&](const char* key) {
    for (AVDictionary* dict : {d->fmt->metadata, d->st->metadata}) {
      if (const AVDictionaryEntry* e = av_dict_get(dict, key, nullptr, 0)) return QString::fromUtf8(e->value);
    }
    return QString();
  };
  t.album = get("album");
  t.artist = get("artist");
  t.comment = get("comment");
  t.genre = get("genre");
  t.title = get("title");
  t.track = get("track");
  t.year = get("date");
  if (t.year.isEmpty()) t.year = get("year");
  return t;
}

// Decodes from the beginning up to the first frame (a few packets at most);
// the caller seeks and flushes the decoder afterwards.
void AudioDecoder::Impl::FindOrigin() {
  constexpr int kMaxPackets = 64;
  for (int n = 0; n < kMaxPackets && av_read_frame(fmt, pkt) >= 0; ++n) {
    const bool ours = pkt->stream_index == st->index;
    if (ours) avcodec_send_packet(codec, pkt);
    av_packet_unref(pkt);
    if (ours && avcodec_receive_frame(codec, frame) == 0) {
      origin = frame->best_effort_timestamp;
      av_frame_unref(frame);
      return;
    }
  }
}

// The sample a frame's timestamp stands for. A time base coarser than a
// sample (ASF's milliseconds) places a frame only to within a tick, both the
// frame and the origin; where a whole number of frames of this frame's size
// from the origin lies within that tick, the frame starts there.
int64_t AudioDecoder::Impl::PositionOf(int64_t ts, const AVFrame& f) const {
  const int64_t position = av_rescale_q(ts - origin, st->time_base, AVRational{1, f.sample_rate});
  const bool coarse = int64_t(st->time_base.num) * f.sample_rate > st->time_base.den;
  if (!coarse || f.nb_samples <= 0) return position;
  const int64_t tick = av_rescale_q_rnd(1, st->time_base, AVRational{1, f.sample_rate}, AV_ROUND_UP);
  const int64_t onGrid = llround(double(position) / f.nb_samples) * f.nb_samples;
  return std::abs(onGrid - position) <= tick ? onGrid : position;
}

// Blocks wholly before the start, where each block stands alone, are passed
// over undecoded and counted by their samples.
bool AudioDecoder::Impl::PassOver(const AVPacket& p) {
  if (!havePosition || !HasIndependentBlocks(codec->codec_id)) return false;
  const int samples = av_get_audio_frame_duration2(st->codecpar, p.size);
  if (samples <= 0 || position + samples > startSample) return false;
  position += samples;
  return true;
}

bool AudioDecoder::Start(int outRate, int outChannels, int outBits, double start, double length, QString* error) {
  if (!d || !d->codec) {
    *error = "No source is open.";
    return false;
  }
  const int inRate = d->codec->sample_rate;
  d->outRate = outRate;
  d->outChannels = outChannels;
  d->outFormat = SampleFormatFor(outBits);
  d->outBlock = outChannels * av_get_bytes_per_sample(d->outFormat);
  d->startSample = start > 0 ? llround(start * inRate) : 0;
  d->endSample = length >= 0 ? d->startSample + llround(length * inRate) : NoEnd;
  const bool rewind = d->startSample > 0 || d->started;
  // Only a file still at its beginning can show where its first frame lies.
  if (rewind && d->origin == AV_NOPTS_VALUE) {
    if (!d->started) d->FindOrigin();
    if (d->origin == AV_NOPTS_VALUE) d->origin = d->StartTime();
  }
  d->started = true;
  d->havePosition = false;
  d->position = 0;
  d->draining = d->finished = false;
  d->decodedFrames = 0;
  if (rewind) {
    const bool fromStart = ReadsFromTheStart(d->codec->codec_id);
    const int64_t from = fromStart ? 0 : std::max<int64_t>(d->startSample - PrerollSamples(d->codec), 0);
    const int64_t ts = av_rescale_q(from, AVRational{1, inRate}, d->st->time_base) + d->origin;
    if (av_seek_frame(d->fmt, d->st->index, ts, AVSEEK_FLAG_BACKWARD) < 0) {
      // Unseekable: read from the beginning and drop what lies before the start.
      avformat_seek_file(d->fmt, d->st->index, INT64_MIN, 0, 0, 0);
    }
    avcodec_flush_buffers(d->codec);
    d->havePosition = fromStart;
  }
  swr_free(&d->swr);
  return true;
}

namespace {
bool InitResampler(SwrContext** swr, const AVFrame* f, int outRate, int outChannels, AVSampleFormat outFormat) {
  AVChannelLayout in{};
  if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || f->ch_layout.nb_channels <= 0)
    av_channel_layout_default(&in, f->ch_layout.nb_channels);
  else
    av_channel_layout_copy(&in, &f->ch_layout);
  AVChannelLayout out{};
  av_channel_layout_default(&out, outChannels);
  int r = swr_alloc_set_opts2(swr, &out, outFormat, outRate, &in, AVSampleFormat(f->format), f->sample_rate,
                              0, nullptr);
  if (r >= 0 && in.nb_channels == 1 && outChannels == 2) {
    // A mono source goes to both sides at full level.
    const double both[2] = {1.0, 1.0};
    swr_set_matrix(*swr, both, 1);
  }
  av_channel_layout_uninit(&in);
  av_channel_layout_uninit(&out);
  return r >= 0 && swr_init(*swr) >= 0;
}
}  // namespace

int AudioDecoder::Read(QString* error) {
  Impl& m = *d;
  auto failed = [&](const QString& why) {
    *error = why;
    m.finished = true;
    return -1;
  };
  while (!m.finished) {
    int r = avcodec_receive_frame(m.codec, m.frame);
    if (r == 0) {
      AVFrame* f = m.frame;
      if (!m.havePosition) {
        const int64_t ts = f->best_effort_timestamp;
        if (m.origin == AV_NOPTS_VALUE) m.origin = ts != AV_NOPTS_VALUE ? ts : m.StartTime();
        if (ts != AV_NOPTS_VALUE) m.position = m.PositionOf(ts, *f);
        m.havePosition = true;
      }
      // Packed audio in the asked depth, rate and channels is taken as it is.
      const bool direct = f->format == m.outFormat && f->sample_rate == m.outRate &&
                          f->ch_layout.nb_channels == m.outChannels;
      // A stream may change its format midway (chained files): the converter follows.
      const Impl::SourceFormat format{f->format, f->sample_rate, f->ch_layout.nb_channels};
      if (!direct && (!m.swr || !(format == m.swrFormat))) {
        swr_free(&m.swr);
        m.swrFormat = format;
        if (!InitResampler(&m.swr, f, m.outRate, m.outChannels, m.outFormat))
          return failed("The audio of " + m.path + " cannot be converted to " + QString::number(m.outRate) + " Hz.");
      }
      const int64_t n = f->nb_samples;
      const int64_t skip = std::clamp<int64_t>(m.startSample - m.position, 0, n);
      const int64_t take = std::min<int64_t>(n, m.endSample - m.position) - skip;
      m.position += n;
      if (take > 0 && direct) {
        // The frame is kept until the next read, so its samples need no copy.
        av_frame_unref(m.held);
        av_frame_move_ref(m.held, f);
        pcm_ = m.held->data[0] + skip * m.outBlock;
        m.decodedFrames += take;
        return int(take);
      }
      if (take > 0) {
        const int bps = av_get_bytes_per_sample(AVSampleFormat(f->format));
        const bool planar = av_sample_fmt_is_planar(AVSampleFormat(f->format));
        const int chans = f->ch_layout.nb_channels;
        std::vector<const uint8_t*> in(chans);
        for (int c = 0; c < (planar ? chans : 1); ++c)
          in[c] = f->extended_data[c] + skip * bps * (planar ? 1 : chans);
        int cap = swr_get_out_samples(m.swr, int(take));
        out_.resize(size_t(std::max(cap, 1)) * m.outBlock);
        uint8_t* outp = out_.data();
        int got = swr_convert(m.swr, &outp, cap, in.data(), int(take));
        pcm_ = out_.data();
        av_frame_unref(f);
        if (got < 0) return failed("The audio of " + m.path + " cannot be converted.");
        m.decodedFrames += take;
        if (got > 0) return got;
      } else {
        av_frame_unref(f);
      }
      continue;
    }
    if (r == AVERROR_EOF || m.position >= m.endSample) break;
    // A frame cut short (the last of a file cut short) is passed over as a
    // damaged packet is: the measured length holds only what decodes.
    if (r == AVERROR_INVALIDDATA) continue;
    if (r != AVERROR(EAGAIN)) return failed("The audio of " + m.path + " is damaged (" + AvErrorText(r) + ").");
    if (m.draining) break;
    r = av_read_frame(m.fmt, m.pkt);
    if (r == AVERROR_EOF) {
      avcodec_send_packet(m.codec, nullptr);
      m.draining = true;
      continue;
    }
    if (r < 0) {
      errno_ = SystemErrno(r);
      return failed("The file " + m.path + " cannot be read (" + AvErrorText(r) + ").");
    }
    if (m.pkt->stream_index == m.st->index) {
      r = m.PassOver(*m.pkt) ? 0 : avcodec_send_packet(m.codec, m.pkt);
      // A damaged packet is skipped; the length check below catches real damage.
      if (r < 0 && r != AVERROR(EAGAIN) && r != AVERROR_INVALIDDATA) {
        av_packet_unref(m.pkt);
        return failed("The audio of " + m.path + " is damaged (" + AvErrorText(r) + ").");
      }
    }
    av_packet_unref(m.pkt);
  }
  if (m.finished) return 0;
  m.finished = true;
  if (m.decodedFrames == 0 && m.startSample == 0) return failed("No audio could be decoded from " + m.path + ".");
  if (m.decodedFrames == 0) return failed("The range starts after the end of " + m.path + ".");
  if (m.knownLength > 0) {
    const int64_t expected = std::min(m.endSample, m.knownLength);
    const int64_t tolerance = std::max<int64_t>(m.codec->sample_rate / 5, m.knownLength / 100);
    if (m.position < expected - tolerance) return failed("The file " + m.path + " is truncated or damaged.");
  }
  if (!m.swr) return 0;
  int cap = swr_get_out_samples(m.swr, 0);
  if (cap <= 0) return 0;
  out_.resize(size_t(cap) * m.outBlock);
  uint8_t* outp = out_.data();
  int got = swr_convert(m.swr, &outp, cap, nullptr, 0);
  pcm_ = out_.data();
  return std::max(got, 0);
}

double AudioDecoder::Progress() const {
  if (!d) return 0;
  int64_t end = d->endSample;
  if (d->totalLength > 0) end = std::min(end, d->totalLength);
  if (end == NoEnd || end <= d->startSample) return d->finished ? 1.0 : 0.0;
  return std::clamp(double(d->position - d->startSample) / double(end - d->startSample), 0.0, 1.0);
}
