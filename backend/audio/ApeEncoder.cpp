#include "backend/audio/ApeEncoder.h"

#include <QCryptographicHash>
#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <vector>

#include "backend/audio/ApeFramePool.h"
#include "backend/audio/ApeTag.h"
#include "backend/audio/OutputFile.h"

namespace {
constexpr quint16 kFileVersion = 3990;
constexpr int kDescriptorBytes = 52;
constexpr int kHeaderBytes = 24;
constexpr quint16 kCreateWavHeader = 32;

struct LevelSetup {
  quint32 blocksPerFrame;
  std::vector<ApeFrameCoder::Stage> stages;  // in the order the encoder applies them
};

LevelSetup SetupFor(int level) {
  switch (level) {
    case 1000: return {73728, {}};
    case 2000: return {73728, {{16, 11}}};
    case 3000: return {73728, {{64, 11}}};
    case 4000: return {294912, {{256, 13}, {32, 10}}};
    default: return {1179648, {{1280, 15}, {256, 13}, {16, 11}}};
  }
}

void PutLE16(char* p, quint16 v) { qToLittleEndian(v, p); }
void PutLE32(char* p, quint32 v) { qToLittleEndian(v, p); }
}  // namespace

struct ApeEncoder::Impl {
  QString path;
  OutputFile file;
  bool finished = false;
  bool failed = false;
  QString error;

  int sampleRate = 0;
  int channels = 0;
  int bits = 0;
  int level = 0;
  int blockAlign = 0;
  quint32 blocksPerFrame = 0;

  // Frames are coded by the pool, possibly ahead on other threads, and
  // written in order. filling is the frame the PCM goes into; spare the
  // buffers of a written frame, ready for reuse.
  std::unique_ptr<ApeFramePool> pool;
  std::unique_ptr<ApeFrame> filling;
  std::unique_ptr<ApeFrame> spare;
  quint32 lastFrameBlocks = 0;

  // The frame stream goes to the file as 32-bit words whose first stream byte
  // is the most significant; the bytes of an unfinished word wait in tail.
  std::vector<uint8_t> words;
  std::array<uint8_t, 4> tail{};
  int tailBytes = 0;
  quint64 streamBytes = 0;
  std::vector<quint64> frameStarts;  // stream offsets
  QCryptographicHash md5{QCryptographicHash::Md5};
  const std::atomic<bool>* abort = nullptr;

  bool Fail(const QString& text) {
    failed = true;
    if (error.isEmpty()) error = text;
    return false;
  }
  // The file's own failures keep their reason (Errno) in the file.
  bool Checked(bool done, const QString& text) { return done || Fail(text); }
  bool Put(const char* data, qint64 n) {
    QString text;
    return Checked(file.Write(data, size_t(n), &text), text);
  }
  bool Put(const QByteArray& bytes) { return Put(bytes.constData(), bytes.size()); }
  bool Stopped() {
    if (!abort || !abort->load(std::memory_order_relaxed)) return false;
    Fail("Writing " + path + " was stopped.");
    return true;
  }

  void Setup(int rate, int ch, int bps, int lvl);
  void AppendPcm(const uint8_t* data, quint32 blocks);
  bool SubmitFrame();
  bool WriteFrame(std::unique_ptr<ApeFrame> frame);
  bool WriteAllFrames();
  bool EmitStream(const uint8_t* data, size_t n);
  bool MoveData(qint64 from, qint64 to, qint64 bytes);
  bool WriteHeaders(qint64 dataStart, quint32 dataBytes);
  bool Finalize(const QMap<QString, QString>& tags);
  bool Complete();
  void Drop();
};

void ApeEncoder::Impl::Setup(int rate, int ch, int bps, int lvl) {
  sampleRate = rate;
  channels = ch;
  bits = bps;
  level = lvl;
  blockAlign = ch * bps / 8;
  const LevelSetup setup = SetupFor(lvl);
  blocksPerFrame = setup.blocksPerFrame;
  pool = std::make_unique<ApeFramePool>(ApeFramePool::DefaultThreads(), size_t(blocksPerFrame) * blockAlign, ch, bps,
                                        setup.stages);
  filling = std::make_unique<ApeFrame>();
  filling->pcm.resize(size_t(blocksPerFrame) * blockAlign);
  spare.reset();
  tailBytes = 0;
  streamBytes = 0;
  frameStarts.clear();
  md5.reset();
  finished = failed = false;
  error.clear();
}

void ApeEncoder::Impl::AppendPcm(const uint8_t* data, quint32 blocks) {
  std::memcpy(filling->pcm.data() + size_t(filling->blocks) * blockAlign, data, size_t(blocks) * blockAlign);
  filling->blocks += blocks;
}

// Hands the filled frame to the pool and writes the frames it has coded
// while its window is full. False on abort or a failed write.
bool ApeEncoder::Impl::SubmitFrame() {
  if (Stopped()) return false;
  filling->abort = abort;
  pool->Submit(std::move(filling));
  if (spare) {
    filling = std::move(spare);
  } else {
    filling = std::make_unique<ApeFrame>();
    filling->pcm.resize(size_t(blocksPerFrame) * blockAlign);
  }
  filling->blocks = 0;
  while (pool->Full()) {
    if (!WriteFrame(pool->Take())) return false;
  }
  return true;
}

bool ApeEncoder::Impl::WriteFrame(std::unique_ptr<ApeFrame> frame) {
  if (frame->stopped) return Fail("Writing " + path + " was stopped.");
  lastFrameBlocks = frame->blocks;
  frameStarts.push_back(streamBytes);
  const bool written = EmitStream(frame->coded.data(), frame->coded.size());
  spare = std::move(frame);
  return written;
}

bool ApeEncoder::Impl::WriteAllFrames() {
  while (!pool->Empty()) {
    if (!WriteFrame(pool->Take())) return false;
  }
  return true;
}

bool ApeEncoder::Impl::EmitStream(const uint8_t* data, size_t n) {
  streamBytes += n;
  words.resize((size_t(tailBytes) + n) / 4 * 4);
  uint8_t* w = words.data();
  size_t i = 0;
  if (tailBytes > 0) {
    for (; i < n && tailBytes < 4; ++i) tail[tailBytes++] = data[i];
    if (tailBytes < 4) return true;
    w = std::reverse_copy(tail.begin(), tail.end(), w);
    tailBytes = 0;
  }
  for (; i + 4 <= n; i += 4, w += 4) qToBigEndian(qFromLittleEndian<quint32>(data + i), w);
  for (; i < n; ++i) tail[tailBytes++] = data[i];
  const char* out = reinterpret_cast<const char*>(words.data());
  md5.addData(QByteArrayView(out, qsizetype(words.size())));
  return Put(out, qint64(words.size()));
}

// Moves the frame data towards the end of the file, last chunk first.
bool ApeEncoder::Impl::MoveData(qint64 from, qint64 to, qint64 bytes) {
  std::vector<char> buf(1 << 20);
  qint64 left = bytes;
  while (left > 0) {
    if (Stopped()) return false;
    const qint64 n = std::min<qint64>(left, qint64(buf.size()));
    left -= n;
    QString text;
    if (!Checked(file.ReadAt(long(from + left), buf.data(), size_t(n), &text), text)) return false;
    if (!Checked(file.WriteAt(long(to + left), buf.data(), size_t(n), &text), text)) return false;
  }
  return true;
}

// Descriptor, header and seek table; the MD5 covers the frame data, the
// header and the seek table.
bool ApeEncoder::Impl::WriteHeaders(qint64 dataStart, quint32 dataBytes) {
  const quint32 frames = quint32(frameStarts.size());
  QByteArray header(kHeaderBytes, '\0');
  char* h = header.data();
  PutLE16(h + 0, quint16(level));
  PutLE16(h + 2, kCreateWavHeader);
  PutLE32(h + 4, blocksPerFrame);
  PutLE32(h + 8, lastFrameBlocks);
  PutLE32(h + 12, frames);
  PutLE16(h + 16, quint16(bits));
  PutLE16(h + 18, quint16(channels));
  PutLE32(h + 20, quint32(sampleRate));

  QByteArray seekTable(qsizetype(frames) * 4, '\0');
  for (quint32 i = 0; i < frames; ++i)
    PutLE32(seekTable.data() + i * 4, quint32(dataStart + qint64(frameStarts[i])));

  md5.addData(header);
  md5.addData(seekTable);
  const QByteArray digest = md5.result();

  QByteArray descriptor(kDescriptorBytes, '\0');
  char* d = descriptor.data();
  std::memcpy(d, "MAC ", 4);
  PutLE16(d + 4, kFileVersion);
  PutLE32(d + 8, kDescriptorBytes);
  PutLE32(d + 12, kHeaderBytes);
  PutLE32(d + 16, quint32(seekTable.size()));
  PutLE32(d + 24, dataBytes);
  std::memcpy(d + 36, digest.constData(), 16);

  const QByteArray head = descriptor + header + seekTable;
  QString text;
  return Checked(file.WriteAt(0, head.constData(), size_t(head.size()), &text), text);
}

// Writes the last frame, moves the frame data up behind the seek table and
// completes the file around it; the tag follows the moved data at the end.
bool ApeEncoder::Impl::Finalize(const QMap<QString, QString>& tags) {
  if (filling->blocks && !SubmitFrame()) return false;
  if (!WriteAllFrames()) return false;
  if (frameStarts.empty()) return Fail("There is no audio to write to " + path + ".");
  // The stream ends with 1 to 4 zero bytes, making whole words.
  const uint8_t zeros[4] = {};
  if (!EmitStream(zeros, 4 - streamBytes % 4)) return false;
  const qint64 dataBytes = qint64(streamBytes);
  const qint64 oldStart = kDescriptorBytes + kHeaderBytes;
  const qint64 dataStart = oldStart + qint64(frameStarts.size()) * 4;
  const QByteArray tag = ApeTag::Build(tags);
  if (dataStart + dataBytes + tag.size() > SizeFieldLimit())
    return Fail("Cannot write " + path + ": an APE file cannot be larger than 4 GB.");
  if (!MoveData(oldStart, dataStart, dataBytes) || !WriteHeaders(dataStart, quint32(dataBytes))) return false;
  return Put(tag);
}

// Workers still coding frames stop first: no frame outlives the file. The
// last buffered bytes may meet a full disk here.
bool ApeEncoder::Impl::Complete() {
  pool.reset();
  QString text;
  return Checked(file.Close(&text), text);
}

// Closes the file, finished or not, and deletes it.
void ApeEncoder::Impl::Drop() {
  pool.reset();
  file.Cancel();
  if (!path.isEmpty()) QFile::remove(path);
}

ApeEncoder::ApeEncoder() : d(std::make_unique<Impl>()) {}

// An encoder dropped before Finish leaves no partial file behind.
ApeEncoder::~ApeEncoder() {
  if (d->file.IsOpen()) d->Drop();
}

bool ApeEncoder::Open(const QString& path, int sampleRate, int channels, int bitsPerSample, int level,
                      QString* error) {
  if (d->file.IsOpen()) d->Drop();
  d->path.clear();
  QString problem;
  if (sampleRate <= 0)
    problem = "APE output needs a positive sample rate.";
  else if (channels != 1 && channels != 2)
    problem = "APE output supports mono and stereo only.";
  else if (bitsPerSample != 8 && bitsPerSample != 16 && bitsPerSample != 24)
    problem = "APE output supports 8, 16 and 24 bits per sample only.";
  else if (level < 1000 || level > 5000 || level % 1000)
    problem = "Unknown APE compression level.";
  if (!problem.isEmpty()) {
    if (error) *error = problem;
    return false;
  }
  QString text;
  if (!d->file.Open(path, &text, true)) {
    if (error) *error = text;
    return false;
  }
  d->path = path;
  d->Setup(sampleRate, channels, bitsPerSample, level);
  // Frame data goes right after the descriptor and header; it moves up once
  // the seek table's size is known.
  if (d->Put(QByteArray(kDescriptorBytes + kHeaderBytes, '\0'))) return true;
  if (error) *error = d->error;
  d->Drop();
  return false;
}

bool ApeEncoder::Write(const void* pcm, qint64 frames, QString* error) {
  auto fail = [&] {
    if (error) *error = d->error;
    return false;
  };
  if (!d->file.IsOpen() || d->finished) {
    if (error) *error = "The APE file is not open.";
    return false;
  }
  if (d->failed) return fail();
  const uint8_t* p = static_cast<const uint8_t*>(pcm);
  while (frames > 0) {
    const quint32 n = quint32(std::min<qint64>(frames, d->blocksPerFrame - d->filling->blocks));
    d->AppendPcm(p, n);
    p += size_t(n) * d->blockAlign;
    frames -= n;
    if (d->filling->blocks < d->blocksPerFrame) break;
    if (!d->SubmitFrame()) return fail();
  }
  return true;
}

void ApeEncoder::SetAbortFlag(const std::atomic<bool>* flag) { d->abort = flag; }

bool ApeEncoder::Finish(const QMap<QString, QString>& tags, QString* error) {
  if (!d->file.IsOpen() || d->finished) {
    if (error) *error = "The APE file is not open.";
    return false;
  }
  if (d->failed || !d->Finalize(tags) || !d->Complete()) {
    if (error) *error = d->error;
    d->Drop();
    return false;
  }
  d->finished = true;
  return true;
}

int ApeEncoder::Errno() const { return d->file.Errno(); }

void ApeEncoder::Cancel() {
  if (d->file.IsOpen() || d->finished) d->Drop();
  d->finished = false;
  d->path.clear();
}
