#include "backend/audio/StreamLength.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>

#include "backend/audio/FfmpegUtil.h"
#include "backend/audio/MpegFrames.h"
#include "backend/audio/SourceProbe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {
// Samples counted per rate: each rate's sum converts to time once.
class RateCounts {
 public:
  void Add(int rate, int64_t samples) {
    if (rate > 0 && samples > 0) counts_[rate] += samples;
  }
  StreamLength Total() const {
    StreamLength total;
    for (const auto& [rate, samples] : counts_) {
      total.samples += samples;
      total.us += av_rescale(samples, AV_TIME_BASE, rate);
    }
    return total;
  }

 private:
  std::map<int, int64_t> counts_;
};

struct Input {
  AVFormatContext* fmt = nullptr;
  AVCodecContext* codec = nullptr;
  AVPacket* pkt = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  AVStream* st = nullptr;
  ~Input() {
    avcodec_free_context(&codec);
    avformat_close_input(&fmt);
    av_packet_free(&pkt);
    av_frame_free(&frame);
  }
  bool Open(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (avformat_open_input(&fmt, name.constData(), nullptr, nullptr) < 0 || avformat_find_stream_info(fmt, nullptr) < 0)
      return false;
    const int s = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (s < 0) return false;
    st = fmt->streams[s];
    return true;
  }
  bool OpenDecoder() {
    const AVCodec* dec = avcodec_find_decoder(st->codecpar->codec_id);
    codec = dec ? avcodec_alloc_context3(dec) : nullptr;
    if (!codec || avcodec_parameters_to_context(codec, st->codecpar) < 0) return false;
    codec->pkt_timebase = st->time_base;
    return avcodec_open2(codec, dec, nullptr) >= 0;
  }
  // The next packet of the stream; false at the end or on a read error.
  bool Next(const std::atomic<bool>* stop) {
    av_packet_unref(pkt);
    while (!(stop && *stop) && av_read_frame(fmt, pkt) >= 0) {
      if (pkt->stream_index == st->index) return true;
      av_packet_unref(pkt);
    }
    return false;
  }
  void Receive(RateCounts* counts) {
    while (avcodec_receive_frame(codec, frame) == 0) {
      counts->Add(frame->sample_rate, frame->nb_samples);
      av_frame_unref(frame);
    }
  }
  // Decodes every packet from the demuxer's place to the end.
  bool DecodeRest(const std::atomic<bool>* stop, RateCounts* counts) {
    if (!OpenDecoder()) return false;
    while (Next(stop)) {
      // A damaged packet is passed over, as the decode passes over it.
      avcodec_send_packet(codec, pkt);
      Receive(counts);
    }
    avcodec_send_packet(codec, nullptr);
    Receive(counts);
    return !(stop && *stop);
  }
};

int64_t SamplesOf(int64_t ticks, const AVStream* st) {
  return av_rescale_q(ticks, st->time_base, AVRational{1, st->codecpar->sample_rate});
}

// The MPEG audio decoder refuses a packet that starts with no frame header
// (junk the parser put before a frame).
bool Refused(const AVPacket* pkt, AVCodecID codec) {
  MpegFrame frame;
  const bool mpeg = codec == AV_CODEC_ID_MP1 || codec == AV_CODEC_ID_MP2 || codec == AV_CODEC_ID_MP3;
  return mpeg && (pkt->size < 4 || !ReadMpegHeader(qFromBigEndian<quint32>(pkt->data), &frame));
}

// A decode is the dearest way to a length, and a conversion, each part of a
// split and the player open the same file again: the lengths of the files
// measured last are kept with their stamps, and a file changed since is
// measured anew.
class MeasuredFiles {
 public:
  bool Find(const QString& path, const FileStamp& stamp, LengthWay way, StreamLength* length) {
    std::lock_guard<std::mutex> hold(mutex_);
    for (const Entry& e : entries_) {
      if (e.path != path || e.way != way || !(e.stamp == stamp)) continue;
      *length = e.length;
      return true;
    }
    return false;
  }
  void Keep(const QString& path, const FileStamp& stamp, LengthWay way, const StreamLength& length) {
    constexpr size_t kKept = 32;
    std::lock_guard<std::mutex> hold(mutex_);
    entries_.push_front({path, stamp, way, length});
    if (entries_.size() > kKept) entries_.pop_back();
  }

 private:
  struct Entry {
    QString path;
    FileStamp stamp;
    LengthWay way;
    StreamLength length;
  };
  std::mutex mutex_;
  std::deque<Entry> entries_;
};

MeasuredFiles& Measured() {
  static MeasuredFiles files;
  return files;
}

bool CountPackets(Input& in, const std::atomic<bool>* stop, RateCounts* counts) {
  const int rate = in.st->codecpar->sample_rate;
  while (in.Next(stop)) {
    if (Refused(in.pkt, in.st->codecpar->codec_id)) continue;
    if (in.pkt->duration <= 0) return false;
    int64_t samples = SamplesOf(in.pkt->duration, in.st);
    size_t size = 0;
    if (const uint8_t* skip = av_packet_get_side_data(in.pkt, AV_PKT_DATA_SKIP_SAMPLES, &size); skip && size >= 8)
      samples -= int64_t(qFromLittleEndian<quint32>(skip)) + qFromLittleEndian<quint32>(skip + 4);
    counts->Add(rate, std::max<int64_t>(samples, 0));
  }
  return !(stop && *stop);
}

// The frames up to the last whose start lies inside the file come from the
// index; that frame is decoded, as it may be cut short.
bool CountLastIndexed(Input& in, const std::atomic<bool>* stop, RateCounts* counts) {
  const int64_t size = avio_size(in.fmt->pb);
  const AVIndexEntry* last = nullptr;
  for (int i = avformat_index_get_entries_count(in.st) - 1; i >= 0 && !last; --i) {
    const AVIndexEntry* e = avformat_index_get_entry(in.st, i);
    if (e->pos < size) last = e;
  }
  if (!last || av_seek_frame(in.fmt, in.st->index, last->timestamp, 0) < 0) return false;
  counts->Add(in.st->codecpar->sample_rate, SamplesOf(last->timestamp - std::max<int64_t>(in.st->start_time, 0), in.st));
  return in.DecodeRest(stop, counts);
}

bool Measure(const QString& path, LengthWay way, const std::atomic<bool>* stop, StreamLength* length) {
  QuietFfmpegLog();
  Input in;
  if (!in.Open(path) || in.st->codecpar->sample_rate <= 0) return false;
  RateCounts counts;
  const bool counted = way == LengthWay::Packets       ? CountPackets(in, stop, &counts)
                       : way == LengthWay::LastIndexed ? CountLastIndexed(in, stop, &counts)
                                                       : in.DecodeRest(stop, &counts);
  *length = counts.Total();
  return counted && length->samples > 0;
}
}  // namespace

bool MeasureStream(const QString& path, LengthWay way, const std::atomic<bool>* stop, StreamLength* length) {
  const FileStamp stamp = FileStamp::Of(path);
  if (stamp.size >= 0 && Measured().Find(path, stamp, way, length)) return true;
  if (!Measure(path, way, stop, length)) return false;
  // Kept only where the file stayed as it was while it was read.
  if (stamp.size >= 0 && FileStamp::Of(path) == stamp) Measured().Keep(path, stamp, way, *length);
  return true;
}

bool OggHasOneStream(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  constexpr int kHeaderBytes = 27;
  uchar header[kHeaderBytes + 255];
  quint32 serial = 0;
  qint64 at = 0;
  while (at < file.size()) {
    if (!file.seek(at) || file.read(reinterpret_cast<char*>(header), kHeaderBytes) != kHeaderBytes ||
        std::memcmp(header, "OggS", 4) != 0)
      return false;
    const int segments = header[26];
    if (file.read(reinterpret_cast<char*>(header + kHeaderBytes), segments) != segments) return false;
    const quint32 pageSerial = qFromLittleEndian<quint32>(header + 14);
    if (at > 0 && pageSerial != serial) return false;
    serial = pageSerial;
    at += kHeaderBytes + segments;
    for (int i = 0; i < segments; ++i) at += header[kHeaderBytes + i];
  }
  return at == file.size();  // a last page cut short may state more than it holds
}
