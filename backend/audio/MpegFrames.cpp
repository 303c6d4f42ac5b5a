#include "backend/audio/MpegFrames.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace {
constexpr int kId3v1Bytes = 128;
constexpr int kApeFooterBytes = 32;
constexpr quint32 kApeHasHeader = 0x80000000u;
constexpr qint64 kPieceBytes = qint64(1) << 20;
// Until the first frames prove the file an MPEG audio stream.
constexpr qint64 kFirstPieceBytes = qint64(64) << 10;

// The end of the audio: the file's end, less an ID3v1 tag and an APE tag
// before it or at the end. A tag's stated size counts only where the tag fits
// between start and its footer.
qint64 AudioEnd(QFile& file, qint64 start) {
  qint64 end = file.size();
  char tail[kId3v1Bytes];
  auto readAt = [&](qint64 at, qint64 n) { return at >= start && file.seek(at) && file.read(tail, n) == n; };
  if (readAt(end - kId3v1Bytes, kId3v1Bytes) && std::memcmp(tail, "TAG", 3) == 0) end -= kId3v1Bytes;
  if (!readAt(end - kApeFooterBytes, kApeFooterBytes) || std::memcmp(tail, "APETAGEX", 8) != 0) return end;
  const qint64 size = qFromLittleEndian<quint32>(tail + 12);
  const qint64 header = (qFromLittleEndian<quint32>(tail + 20) & kApeHasHeader) ? kApeFooterBytes : 0;
  if (size < kApeFooterBytes || size + header > end - start) return end;
  return end - size - header;
}

// Counts the frames of one walk. Most frames repeat the header before them,
// so the last header's frame and rate are kept at hand.
class FrameCounter {
 public:
  explicit FrameCounter(MpegWalk* walk) : walk_(walk) {}

  // The frame header h states; false when h is none.
  bool Read(uint32_t h, MpegFrame* f) {
    // Without a sync no header, whatever was kept (zeros before the first).
    if ((h >> 21) != 0x7FF) return false;
    if (h == lastHeader_) {
      *f = last_;
      return true;
    }
    if (!ReadMpegHeader(h, f)) return false;
    lastHeader_ = h;
    last_ = *f;
    return true;
  }
  // Counts frame f, whose header h starts at byte at; false when the second
  // frame does not follow the first right away.
  bool Count(uint32_t h, const MpegFrame& f, qint64 at) {
    MpegWalk& w = *walk_;
    if (w.frames++ == 0) {
      w.first = f;
      firstHeader_ = h;
      firstEnd_ = at + f.bytes;
    } else if (w.frames == 2) {
      w.chained = at == firstEnd_ && SameMpegStream(h, firstHeader_);
      if (!w.chained) return false;
    }
    if (h != countedHeader_) TakeFormat(h, f);
    w.samples[rate_].second += f.samples;
    return true;
  }
  // Before the first frame, and from its end until the second: a header
  // there would have been found.
  bool PastFirst(qint64 header) const { return walk_->frames == 1 && header > firstEnd_; }

 private:
  void TakeFormat(uint32_t h, const MpegFrame& f) {
    MpegWalk& w = *walk_;
    countedHeader_ = h;
    w.sameFormat = w.sameFormat && f.rate == w.first.rate && f.channels == w.first.channels;
    if (!w.samples.empty() && w.samples[rate_].first == f.rate) return;
    const auto it = std::find_if(w.samples.begin(), w.samples.end(), [&](const auto& c) { return c.first == f.rate; });
    rate_ = size_t(it - w.samples.begin());
    if (it == w.samples.end()) w.samples.emplace_back(f.rate, 0);
  }

  MpegWalk* walk_;
  uint32_t lastHeader_ = 0;
  MpegFrame last_;
  uint32_t countedHeader_ = 0;  // the last frame's
  size_t rate_ = 0;             // its rate's place in samples
  uint32_t firstHeader_ = 0;
  qint64 firstEnd_ = 0;
};
}  // namespace

bool ReadMpegHeader(uint32_t h, MpegFrame* frame) {
  const int version = (h >> 19) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5, 1: reserved
  const int layer = (h >> 17) & 3;     // 3: I, 2: II, 1: III
  const int bitrate = (h >> 12) & 15;
  const int index = (h >> 10) & 3;
  if ((h >> 21) != 0x7FF || version == 1 || layer == 0 || bitrate == 0 || bitrate == 15 || index == 3) return false;
  constexpr int kRates[3] = {44100, 48000, 32000};
  constexpr int kKbps[5][15] = {
      {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG-1 layer I
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG-1 layer II
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG-1 layer III
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG-2 and 2.5 layer I
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}};         // MPEG-2 and 2.5 layers II, III
  const bool mpeg1 = version == 3;
  const int table = mpeg1 ? 3 - layer : layer == 3 ? 3 : 4;
  const int padding = (h >> 9) & 1;
  frame->rate = kRates[index] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
  frame->channels = ((h >> 6) & 3) == 3 ? 1 : 2;
  frame->kbps = kKbps[table][bitrate];
  frame->samples = layer == 3 ? 384 : layer == 1 && !mpeg1 ? 576 : 1152;
  if (layer == 3)
    frame->bytes = (12000 * frame->kbps / frame->rate + padding) * 4;
  else if (layer == 2 || mpeg1)
    frame->bytes = 144000 * frame->kbps / frame->rate + padding;
  else
    frame->bytes = 72000 * frame->kbps / frame->rate + padding;
  return true;
}

bool SameMpegStream(uint32_t a, uint32_t b) {
  // Sync, version, layer and rate: what the frames of one stream share.
  constexpr uint32_t kSameStream = 0xFFFE0C00u;
  return ((a ^ b) & kSameStream) == 0;
}

bool WalkMpegFrames(const QString& path, int64_t start, const std::atomic<bool>* stop, MpegWalk* walk) {
  *walk = MpegWalk();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || start < 0 || start >= file.size()) return false;
  const qint64 end = AudioEnd(file, start);
  if (end <= start || !file.seek(start)) return false;
  std::vector<uint8_t> piece(size_t(std::min(kPieceBytes, end - start)));
  uint32_t state = 0;  // the bytes looked at since the last frame, the last four
  bool junk = false;   // a byte other than zero came before them
  qint64 skip = 0;     // bytes of the current frame still to pass over
  FrameCounter counter(walk);
  MpegFrame f;
  for (qint64 at = start; at < end;) {
    if (stop && stop->load(std::memory_order_relaxed)) return false;
    const qint64 want = std::min(walk->chained ? qint64(piece.size()) : kFirstPieceBytes, end - at);
    const qint64 n = file.read(reinterpret_cast<char*>(piece.data()), want);
    if (n <= 0) return false;
    const uint8_t* const begin = piece.data();
    for (const uint8_t *p = begin, *e = p + n; p < e;) {
      if (skip > 0) {
        const qint64 step = std::min<qint64>(skip, e - p);
        p += step;
        skip -= step;
        continue;
      }
      // Right after a frame (or zeros) the next header, if any, starts here:
      // looking at its four bytes at once finds what a look byte by byte would.
      if (state == 0 && !junk && e - p >= 4 && counter.Read(qFromBigEndian<quint32>(p), &f)) {
        if (!counter.Count(qFromBigEndian<quint32>(p), f, at + (p - begin))) return false;
        p += 4;
        skip = f.bytes - 4;
        continue;
      }
      junk = junk || (state >> 24) != 0;
      state = state << 8 | *p++;
      const qint64 header = at + (p - begin) - 4;
      if (counter.PastFirst(header)) return false;
      if (!counter.Read(state, &f)) continue;
      // A frame after junk is lost to the decoder, which takes the junk for
      // the frame's start; zeros it passes over.
      if (junk && walk->frames == 0) return false;  // the demuxer's first frame is no frame
      if (!junk && !counter.Count(state, f, header)) return false;
      skip = f.bytes - 4;
      state = 0;
      junk = false;
    }
    at += n;
  }
  walk->bytes = end - start;
  return walk->frames > 0;
}

namespace {
constexpr int kId3v2HeaderBytes = 10;

bool IsId3v2Header(const uchar* h) {
  return std::memcmp(h, "ID3", 3) == 0 && h[3] != 0xFF && h[4] != 0xFF && ((h[6] | h[7] | h[8] | h[9]) & 0x80) == 0;
}

// Where the ID3v2 tags at the start end, as the demuxer passes them: each by
// its header's size, a version 2.4 footer included.
qint64 Id3v2End(QFile& file) {
  qint64 at = 0;
  uchar h[kId3v2HeaderBytes];
  while (file.seek(at) && file.read(reinterpret_cast<char*>(h), sizeof h) == sizeof h && IsId3v2Header(h)) {
    at += kId3v2HeaderBytes + (h[6] << 21 | h[7] << 14 | h[8] << 7 | h[9]);
    if (h[3] == 4 && (h[5] & 0x10)) at += kId3v2HeaderBytes;
  }
  return at;
}

// Reads the fields of an Info frame in their order; every read stays inside
// the bytes read from the file.
class FieldReader {
 public:
  explicit FieldReader(const QByteArray& bytes) : bytes_(bytes) {}
  bool Skip(qsizetype n) { return (at_ += n) <= bytes_.size(); }
  bool Read(qsizetype n, uint32_t* value) {
    if (at_ + n > bytes_.size()) return false;
    *value = 0;
    for (qsizetype i = 0; i < n; ++i) *value = *value << 8 | uchar(bytes_[at_ + i]);
    at_ += n;
    return true;
  }
  QByteArray Take(qsizetype n) { return Skip(n) ? bytes_.mid(at_ - n, n) : QByteArray(); }

 private:
  const QByteArray& bytes_;
  qsizetype at_ = 0;
};
}  // namespace

namespace {
constexpr uint32_t kXing = 0x58696E67u, kInfo = 0x496E666Fu, kVbri = 0x56425249u;
constexpr int kVbriAt = 4 + 32;  // behind the header, whatever the side information

// The Xing or Info fields behind the side information; false without them.
bool ReadXing(FieldReader& r, MpegInfoFrame* info) {
  uint32_t tag = 0, flags = 0, frames = 0, bytes = 0, gapBits = 0;
  if (!r.Read(4, &tag) || (tag != kXing && tag != kInfo) || !r.Read(4, &flags)) return false;
  info->cbr = tag == kInfo;
  if ((flags & 1) && r.Read(4, &frames)) info->frames = frames;
  if ((flags & 2) && r.Read(4, &bytes)) info->bytes = bytes;
  if (!r.Skip((flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0))) return true;
  const QByteArray encoder = r.Take(9).left(4);
  if (encoder != "LAME" && encoder != "Lavf" && encoder != "Lavc") return true;
  // Revision, low-pass, peak, two gains, flags, bit rate: then the gap.
  if (r.Skip(12) && r.Read(3, &gapBits)) info->gap = {info->frame.rate, int(gapBits >> 12), int(gapBits & 0xFFF)};
  return true;
}

// The VBRI fields: version, delay, quality, bytes, frames.
bool ReadVbri(FieldReader& r, MpegInfoFrame* info) {
  uint32_t tag = 0, version = 0, bytes = 0, frames = 0;
  if (!r.Read(4, &tag) || tag != kVbri || !r.Read(2, &version) || version != 1 || !r.Skip(4) || !r.Read(4, &bytes) ||
      !r.Read(4, &frames))
    return false;
  info->bytes = bytes;
  info->frames = frames;
  return true;
}

// The smallest and the largest frame of the stream header h starts.
std::pair<int64_t, int64_t> FrameSizes(uint32_t h) {
  MpegFrame smallest, largest;
  const uint32_t base = h & ~0xF200u;  // bit rate and padding cleared
  if (!ReadMpegHeader(base | 1u << 12, &smallest) || !ReadMpegHeader(base | 14u << 12 | 1u << 9, &largest)) return {0, 0};
  return {smallest.bytes, largest.bytes};
}
}  // namespace

bool ReadMpegInfoFrame(const QString& path, MpegInfoFrame* info) {
  *info = MpegInfoFrame();
  QFile file(path);
  const qint64 at = file.open(QIODevice::ReadOnly) ? Id3v2End(file) : -1;
  if (at < 0 || !file.seek(at)) return false;
  constexpr qint64 kInfoBytes = 192;  // header, side information and LAME tag up to the gap
  const QByteArray bytes = file.read(kInfoBytes);
  FieldReader r(bytes);
  uint32_t header = 0;
  if (!r.Read(4, &header) || !ReadMpegHeader(header, &info->frame) || ((header >> 17) & 3) != 1) return false;
  info->header = header;
  const bool mpeg1 = ((header >> 19) & 3) == 3;
  const int sideInfo = mpeg1 ? (info->frame.channels == 1 ? 17 : 32) : (info->frame.channels == 1 ? 9 : 17);
  FieldReader vbri(bytes);
  const bool found = (r.Skip(sideInfo) && ReadXing(r, info)) || (vbri.Skip(kVbriAt) && ReadVbri(vbri, info));
  info->present = AudioEnd(file, at) - at;
  // The demuxer drops the count of a file much larger than the bytes stated
  // (files joined together): its decoder then drops no padding at that count.
  const int64_t after = file.size() - at - 4;
  if (info->bytes > 0 && after > info->bytes && after - info->bytes > std::min(after, info->bytes) / 16) info->frames = -1;
  return found;
}

bool MpegInfoFrame::CountHolds() const {
  if (frames <= 0 || (bytes >= 0 && bytes != present)) return false;
  const int64_t audio = present - frame.bytes;
  if (cbr) {
    // Padding adds a slot to some frames: the frames' sizes lie between the unpadded and the padded one.
    MpegFrame unpadded;
    if (!ReadMpegHeader(header & ~0x200u, &unpadded)) return false;
    const int slot = ((header >> 17) & 3) == 3 ? 4 : 1;
    return audio >= frames * unpadded.bytes && audio <= frames * (unpadded.bytes + slot);
  }
  const auto [smallest, largest] = FrameSizes(header);
  return audio >= frames * smallest && audio <= frames * largest;
}
