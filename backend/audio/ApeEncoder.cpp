#include "backend/audio/ApeEncoder.h"

#include <QCryptographicHash>
#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <vector>

#include "backend/audio/ApeNNFilter.h"
#include "backend/audio/ApePredictor.h"
#include "backend/audio/ApeRangeCoder.h"
#include "backend/audio/ApeTag.h"
#include "backend/audio/OutputFile.h"

extern "C" {
#include <libavutil/crc.h>
}

namespace {
constexpr quint16 kFileVersion = 3990;
constexpr int kDescriptorBytes = 52;
constexpr int kHeaderBytes = 24;
constexpr quint16 kCreateWavHeader = 32;
// A frame is coded in pieces of this many blocks, between which the abort
// flag is looked at (a piece takes milliseconds even at level 5000).
constexpr quint32 kPieceBlocks = 8192;

struct Stage {
  int order;
  int shift;
};

struct LevelSetup {
  quint32 blocksPerFrame;
  std::vector<Stage> stages;  // in the order the encoder applies them
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

// The PCM frame's CRC-32 (zlib's), as the frame's first word stores it.
quint32 FrameCrc(const uint8_t* pcm, size_t bytes) {
  const quint32 crc = av_crc(av_crc_get_table(AV_CRC_32_IEEE_LE), 0xFFFFFFFFu, pcm, bytes) ^ 0xFFFFFFFFu;
  return crc >> 1;
}

int32_t SampleAt(const uint8_t* p, int bits) {
  switch (bits) {
    case 8: return int32_t(p[0]) - 128;
    case 16: return int16_t(p[0] | (p[1] << 8));
    default: return int32_t(uint32_t(p[0] << 8 | p[1] << 16 | p[2] << 24)) >> 8;
  }
}
}  // namespace

struct ApeEncoder::Impl {
  QString path;
  QFile file;
  bool finished = false;
  bool failed = false;
  QString error;

  int sampleRate = 0;
  int channels = 0;
  int bits = 0;
  int level = 0;
  int blockAlign = 0;
  quint32 blocksPerFrame = 0;

  // The frame being filled: its PCM bytes and block count.
  std::vector<uint8_t> pcm;
  quint32 pcmBlocks = 0;
  quint32 lastFrameBlocks = 0;

  // Per channel (Y and X for stereo): samples, residuals, adaptive filters.
  // X is kept behind one zero, as Y's predictor takes the previous block's X.
  std::array<std::vector<int32_t>, 2> samples;
  std::array<std::vector<int32_t>, 2> residuals;
  std::array<ApePredictor, 2> predictors;
  std::array<std::vector<ApeNNFilter>, 2> filters;

  std::vector<uint8_t> coded;  // the current frame's bytes in stream order
  ApeRangeCoder coder{coded};

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
  bool FileFailed() { return Fail(QString("Cannot write %1: %2").arg(path, file.errorString())); }
  bool CheckFile() { return file.error() == QFileDevice::NoError || FileFailed(); }
  bool Stopped() {
    if (!abort || !abort->load(std::memory_order_relaxed)) return false;
    Fail("Writing " + path + " was stopped.");
    return true;
  }

  void Setup(int rate, int ch, int bps, int lvl);
  void AppendPcm(const uint8_t* data, quint32 blocks);
  bool EncodeFrame();
  void SplitChannels(quint32 at, quint32 blocks);
  void Predict(quint32 at, quint32 blocks);
  void CodePiece(quint32 at, quint32 blocks);
  void EmitStream(const uint8_t* data, size_t n);
  bool MoveData(qint64 from, qint64 to, qint64 bytes);
  bool WriteHeaders(qint64 dataStart, quint32 dataBytes);
  bool Finalize(const QMap<QString, QString>& tags);
  void Close(bool remove);
};

void ApeEncoder::Impl::Setup(int rate, int ch, int bps, int lvl) {
  sampleRate = rate;
  channels = ch;
  bits = bps;
  level = lvl;
  blockAlign = ch * bps / 8;
  const LevelSetup setup = SetupFor(lvl);
  blocksPerFrame = setup.blocksPerFrame;
  pcm.resize(size_t(blocksPerFrame) * blockAlign);
  pcmBlocks = 0;
  for (int c = 0; c < channels; ++c) {
    samples[c].assign(blocksPerFrame + c, 0);
    residuals[c].resize(blocksPerFrame);
    filters[c].clear();
    for (const Stage& s : setup.stages) filters[c].emplace_back(s.order, s.shift);
  }
  coded.clear();
  coded.reserve(size_t(blocksPerFrame) * blockAlign + 1024);
  tailBytes = 0;
  streamBytes = 0;
  frameStarts.clear();
  md5.reset();
  finished = failed = false;
  error.clear();
}

void ApeEncoder::Impl::AppendPcm(const uint8_t* data, quint32 blocks) {
  std::memcpy(pcm.data() + size_t(pcmBlocks) * blockAlign, data, size_t(blocks) * blockAlign);
  pcmBlocks += blocks;
}

// Stereo is coded as the difference Y = second - first and the mid value
// X = first + Y/2, which the decoder turns back exactly.
void ApeEncoder::Impl::SplitChannels(quint32 at, quint32 blocks) {
  const int bytes = bits / 8;
  const uint8_t* p = pcm.data() + size_t(at) * blockAlign;
  const quint32 end = at + blocks;
  if (channels == 1) {
    for (quint32 n = at; n < end; ++n, p += bytes) samples[0][n] = SampleAt(p, bits);
    return;
  }
  for (quint32 n = at; n < end; ++n, p += blockAlign) {
    const int32_t first = SampleAt(p, bits);
    const int32_t second = SampleAt(p + bytes, bits);
    const int32_t y = second - first;
    samples[0][n] = y;
    samples[1][n + 1] = first + y / 2;
  }
}

// Y is predicted with the previous block's X, X with the same block's Y.
void ApeEncoder::Impl::Predict(quint32 at, quint32 blocks) {
  if (channels == 1) {
    predictors[0].Compress(samples[0].data() + at, nullptr, residuals[0].data() + at, int(blocks));
    return;
  }
  const int32_t* y = samples[0].data() + at;
  const int32_t* previousX = samples[1].data() + at;  // one zero before the frame's first X
  predictors[0].Compress(y, previousX, residuals[0].data() + at, int(blocks));
  predictors[1].Compress(previousX + 1, y, residuals[1].data() + at, int(blocks));
}

void ApeEncoder::Impl::CodePiece(quint32 at, quint32 blocks) {
  SplitChannels(at, blocks);
  Predict(at, blocks);
  for (int c = 0; c < channels; ++c) {
    for (ApeNNFilter& f : filters[c]) f.Compress(residuals[c].data() + at, int(blocks));
  }
  const quint32 end = at + blocks;
  if (channels == 1) {
    for (quint32 n = at; n < end; ++n) coder.EncodeResidual(0, residuals[0][n]);
    return;
  }
  for (quint32 n = at; n < end; ++n) {
    coder.EncodeResidual(0, residuals[0][n]);
    coder.EncodeResidual(1, residuals[1][n]);
  }
}

// False when the abort flag stopped it.
bool ApeEncoder::Impl::EncodeFrame() {
  const quint32 blocks = pcmBlocks;
  pcmBlocks = 0;
  lastFrameBlocks = blocks;
  frameStarts.push_back(streamBytes);
  coded.clear();
  const quint32 crc = FrameCrc(pcm.data(), size_t(blocks) * blockAlign);
  for (int shift = 24; shift >= 0; shift -= 8) coded.push_back(uint8_t(crc >> shift));

  for (int c = 0; c < channels; ++c) {
    predictors[c].Reset();
    for (ApeNNFilter& f : filters[c]) f.Reset();
  }
  coder.Reset();
  for (quint32 at = 0; at < blocks; at += kPieceBlocks) {
    if (Stopped()) return false;
    CodePiece(at, std::min(kPieceBlocks, blocks - at));
  }
  coder.Finish();
  EmitStream(coded.data(), coded.size());
  return true;
}

void ApeEncoder::Impl::EmitStream(const uint8_t* data, size_t n) {
  streamBytes += n;
  words.clear();
  for (size_t i = 0; i < n; ++i) {
    tail[tailBytes++] = data[i];
    if (tailBytes < 4) continue;
    words.insert(words.end(), {tail[3], tail[2], tail[1], tail[0]});
    tailBytes = 0;
  }
  const char* out = reinterpret_cast<const char*>(words.data());
  md5.addData(QByteArrayView(out, qsizetype(words.size())));
  file.write(out, qint64(words.size()));
}

// Moves the frame data towards the end of the file, last chunk first.
bool ApeEncoder::Impl::MoveData(qint64 from, qint64 to, qint64 bytes) {
  std::vector<char> buf(1 << 20);
  qint64 left = bytes;
  while (left > 0) {
    if (Stopped()) return false;
    const qint64 n = std::min<qint64>(left, qint64(buf.size()));
    left -= n;
    if (!file.seek(from + left) || file.read(buf.data(), n) != n) return Fail(QString("Cannot read %1: %2").arg(path, file.errorString()));
    if (!file.seek(to + left) || file.write(buf.data(), n) != n) return FileFailed();
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

  if (!file.seek(0)) return FileFailed();
  file.write(descriptor + header + seekTable);
  return CheckFile();
}

// Writes the last frame, moves the frame data up behind the seek table and
// completes the file around it.
bool ApeEncoder::Impl::Finalize(const QMap<QString, QString>& tags) {
  if (pcmBlocks && !EncodeFrame()) return false;
  if (frameStarts.empty()) return Fail("There is no audio to write to " + path + ".");
  // The stream ends with 1 to 4 zero bytes, making whole words.
  const uint8_t zeros[4] = {};
  EmitStream(zeros, 4 - streamBytes % 4);
  const qint64 dataBytes = qint64(streamBytes);
  const qint64 oldStart = kDescriptorBytes + kHeaderBytes;
  const qint64 dataStart = oldStart + qint64(frameStarts.size()) * 4;
  const QByteArray tag = ApeTag::Build(tags);
  if (dataStart + dataBytes + tag.size() > SizeFieldLimit())
    return Fail("Cannot write " + path + ": an APE file cannot be larger than 4 GB.");
  if (!file.flush()) return FileFailed();
  if (!MoveData(oldStart, dataStart, dataBytes) || !WriteHeaders(dataStart, quint32(dataBytes))) return false;
  if (!file.seek(dataStart + dataBytes)) return FileFailed();
  file.write(tag);
  if (!file.flush()) return FileFailed();
  return CheckFile();
}

void ApeEncoder::Impl::Close(bool remove) {
  file.close();
  if (remove && !path.isEmpty()) QFile::remove(path);
}

ApeEncoder::ApeEncoder() : d(std::make_unique<Impl>()) {}

// An encoder dropped before Finish leaves no partial file behind.
ApeEncoder::~ApeEncoder() {
  if (d->file.isOpen()) d->Close(true);
}

bool ApeEncoder::Open(const QString& path, int sampleRate, int channels, int bitsPerSample, int level,
                      QString* error) {
  if (d->file.isOpen()) d->Close(true);
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
  d->file.setFileName(path);
  if (!d->file.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
    if (error) *error = QString("Cannot create %1: %2").arg(path, d->file.errorString());
    return false;
  }
  d->path = path;
  d->Setup(sampleRate, channels, bitsPerSample, level);
  // Frame data goes right after the descriptor and header; it moves up once
  // the seek table's size is known.
  d->file.write(QByteArray(kDescriptorBytes + kHeaderBytes, '\0'));
  if (d->CheckFile()) return true;
  if (error) *error = d->error;
  d->Close(true);
  return false;
}

bool ApeEncoder::Write(const void* pcm, qint64 frames, QString* error) {
  auto fail = [&] {
    if (error) *error = d->error;
    return false;
  };
  if (!d->file.isOpen() || d->finished) {
    if (error) *error = "The APE file is not open.";
    return false;
  }
  if (d->failed) return fail();
  const uint8_t* p = static_cast<const uint8_t*>(pcm);
  while (frames > 0) {
    const quint32 n = quint32(std::min<qint64>(frames, d->blocksPerFrame - d->pcmBlocks));
    d->AppendPcm(p, n);
    p += size_t(n) * d->blockAlign;
    frames -= n;
    if (d->pcmBlocks < d->blocksPerFrame) break;
    if (!d->EncodeFrame() || !d->CheckFile()) return fail();
  }
  return true;
}

void ApeEncoder::SetAbortFlag(const std::atomic<bool>* flag) { d->abort = flag; }

bool ApeEncoder::Finish(const QMap<QString, QString>& tags, QString* error) {
  if (!d->file.isOpen() || d->finished) {
    if (error) *error = "The APE file is not open.";
    return false;
  }
  if (d->failed || !d->Finalize(tags)) {
    if (error) *error = d->error;
    d->Close(true);
    return false;
  }
  d->finished = true;
  d->Close(false);
  return true;
}

void ApeEncoder::Cancel() {
  if (d->file.isOpen() || d->finished) d->Close(true);
  d->finished = false;
  d->path.clear();
}
