// Codes one .ape frame (file version 3990): its CRC word, then the residuals
// of every block, range-coded. Every frame starts afresh (predictors, adaptive
// filters and range coder), so one coder codes any frames in any order, and
// coders on several threads code the frames of one file side by side.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "backend/audio/ApeNNFilter.h"
#include "backend/audio/ApePredictor.h"
#include "backend/audio/ApeRangeCoder.h"

class ApeFrameCoder {
 public:
  struct Stage {
    int order;
    int shift;
  };
  // bits 8 (unsigned samples), 16 or 24 (3 bytes); stages in the order the
  // encoder applies them.
  ApeFrameCoder(int channels, int bits, const std::vector<Stage>& stages);
  ApeFrameCoder(const ApeFrameCoder&) = delete;
  ApeFrameCoder& operator=(const ApeFrameCoder&) = delete;

  // Replaces out by the frame of blocks interleaved PCM blocks, in stream
  // order. False when a stop flag was found set part way (a piece takes
  // milliseconds even at the slowest level).
  bool Encode(const uint8_t* pcm, uint32_t blocks, std::vector<uint8_t>& out,
              const std::atomic<bool>* abort, const std::atomic<bool>* quit);

 private:
  void SplitChannels(const uint8_t* pcm, uint32_t blocks);
  void Predict(uint32_t blocks);
  void CodePiece(const uint8_t* pcm, uint32_t blocks);

  int channels_;
  int bits_;
  int blockAlign_;
  // One piece per channel (Y and X for stereo). X keeps the previous block's
  // X in front, as Y's predictor takes it; 0 at the frame's start.
  std::array<std::vector<int32_t>, 2> samples_;
  std::array<std::vector<int32_t>, 2> residuals_;
  std::array<ApePredictor, 2> predictors_;
  std::array<std::vector<ApeNNFilter>, 2> filters_;
  std::vector<uint8_t> coded_;
  ApeRangeCoder coder_{coded_};
};
