#include "backend/audio/ApeFrameCoder.h"

#include <algorithm>

extern "C" {
#include <libavutil/crc.h>
}

namespace {
// A frame is coded in pieces of this many blocks, between which the stop
// flags are looked at.
constexpr uint32_t kPieceBlocks = 8192;

// The PCM frame's CRC-32 (zlib's), as the frame's first word stores it.
uint32_t FrameCrc(const uint8_t* pcm, size_t bytes) {
  const uint32_t crc = av_crc(av_crc_get_table(AV_CRC_32_IEEE_LE), 0xFFFFFFFFu, pcm, bytes) ^ 0xFFFFFFFFu;
  return crc >> 1;
}

int32_t SampleAt(const uint8_t* p, int bits) {
  switch (bits) {
    case 8: return int32_t(p[0]) - 128;
    case 16: return int16_t(p[0] | (p[1] << 8));
    default: return int32_t(uint32_t(p[0] << 8 | p[1] << 16 | p[2] << 24)) >> 8;
  }
}

bool IsSet(const std::atomic<bool>* flag) { return flag && flag->load(std::memory_order_relaxed); }
}  // namespace

ApeFrameCoder::ApeFrameCoder(int channels, int bits, const std::vector<Stage>& stages)
    : channels_(channels), bits_(bits), blockAlign_(channels * bits / 8) {
  for (int c = 0; c < channels; ++c) {
    samples_[c].assign(kPieceBlocks + 1, 0);
    residuals_[c].resize(kPieceBlocks);
    for (const Stage& s : stages) filters_[c].emplace_back(s.order, s.shift);
  }
}

bool ApeFrameCoder::Encode(const uint8_t* pcm, uint32_t blocks, std::vector<uint8_t>& out,
                           const std::atomic<bool>* abort, const std::atomic<bool>* quit) {
  coded_.clear();
  coded_.reserve(size_t(blocks) * blockAlign_ + 1024);  // a frame's bytes seldom pass its PCM's
  const uint32_t crc = FrameCrc(pcm, size_t(blocks) * blockAlign_);
  for (int shift = 24; shift >= 0; shift -= 8) coded_.push_back(uint8_t(crc >> shift));
  for (int c = 0; c < channels_; ++c) {
    predictors_[c].Reset();
    for (ApeNNFilter& f : filters_[c]) f.Reset();
  }
  if (channels_ == 2) samples_[1][0] = 0;
  coder_.Reset();
  for (uint32_t at = 0; at < blocks; at += kPieceBlocks) {
    if (IsSet(abort) || IsSet(quit)) return false;
    CodePiece(pcm + size_t(at) * blockAlign_, std::min(kPieceBlocks, blocks - at));
  }
  coder_.Finish();
  out.swap(coded_);
  return true;
}

// Stereo is coded as the difference Y = second - first and the mid value
// X = first + Y/2, which the decoder turns back exactly.
void ApeFrameCoder::SplitChannels(const uint8_t* p, uint32_t blocks) {
  const int bytes = bits_ / 8;
  if (channels_ == 1) {
    for (uint32_t n = 0; n < blocks; ++n, p += bytes) samples_[0][n] = SampleAt(p, bits_);
    return;
  }
  for (uint32_t n = 0; n < blocks; ++n, p += blockAlign_) {
    const int32_t first = SampleAt(p, bits_);
    const int32_t y = SampleAt(p + bytes, bits_) - first;
    samples_[0][n] = y;
    samples_[1][n + 1] = first + y / 2;
  }
}

// Y is predicted with the previous block's X, X with the same block's Y.
void ApeFrameCoder::Predict(uint32_t blocks) {
  if (channels_ == 1) {
    predictors_[0].Compress(samples_[0].data(), nullptr, residuals_[0].data(), int(blocks));
    return;
  }
  const int32_t* y = samples_[0].data();
  const int32_t* previousX = samples_[1].data();
  predictors_[0].Compress(y, previousX, residuals_[0].data(), int(blocks));
  predictors_[1].Compress(previousX + 1, y, residuals_[1].data(), int(blocks));
  samples_[1][0] = samples_[1][blocks];  // the next piece's previous X
}

void ApeFrameCoder::CodePiece(const uint8_t* pcm, uint32_t blocks) {
  SplitChannels(pcm, blocks);
  Predict(blocks);
  for (int c = 0; c < channels_; ++c) {
    for (ApeNNFilter& f : filters_[c]) f.Compress(residuals_[c].data(), int(blocks));
  }
  if (channels_ == 1) {
    for (uint32_t n = 0; n < blocks; ++n) coder_.EncodeResidual(0, residuals_[0][n]);
    return;
  }
  for (uint32_t n = 0; n < blocks; ++n) {
    coder_.EncodeResidual(0, residuals_[0][n]);
    coder_.EncodeResidual(1, residuals_[1][n]);
  }
}
