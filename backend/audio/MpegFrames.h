// MPEG audio (layers I to III, MPEG-1, 2 and 2.5) frame headers, and the
// length of a stream found by walking them, without decoding: each frame
// counted at its own rate, split where a decoder's parser splits them.
#pragma once
#include <QString>
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>

// What an MPEG audio frame header states.
struct MpegFrame {
  int rate = 0;
  int channels = 0;
  int kbps = 0;
  int samples = 0;  // per channel
  int bytes = 0;    // the whole frame, header included
};

// The frame a header starts (its four bytes, the first most significant);
// false when it is no header (free format included, which states no length).
bool ReadMpegHeader(uint32_t header, MpegFrame* frame);
// Whether two headers belong to one stream: same version, layer and rate.
bool SameMpegStream(uint32_t a, uint32_t b);

struct MpegWalk {
  MpegFrame first;
  int64_t frames = 0;
  int64_t bytes = 0;  // from the first frame's start to the end of the audio
  // The first frame is followed right away by a frame of its stream (version,
  // layer and rate), as in any MPEG audio file: a lone header is no proof.
  bool chained = false;
  bool sameFormat = true;  // every frame has the first's rate and channels
  // Samples per channel counted at each rate met.
  std::vector<std::pair<int, int64_t>> samples;
};

// Walks path's frames from the byte at start (where the demuxer found the
// first) to the end of the audio (an ID3v1 and an APE tag at the end left
// out), reading the file in large pieces. A header is looked for byte by byte
// until one is found; the frame it starts is then passed over whole, a
// truncated last frame counting as one; the next header is looked for from
// the frame's end. This is how the decoder's parser splits the stream, so the
// frames counted are those the decoder decodes: it loses a frame after junk
// (zeros aside). False when no frame was found, the first is not chained, the
// file could not be read, or stop was set (looked at between pieces).
bool WalkMpegFrames(const QString& path, int64_t start, const std::atomic<bool>* stop, MpegWalk* walk);

// What the LAME tag of an Info (Xing) frame states of the encoder's delay and
// padding, in samples per channel at the frame's rate. The decoder drops the
// delay and its own 529 samples at the start, and where the Info frame gives
// the frame count, the padding past those 529 at the end.
struct MpegEncoderGap {
  int rate = 0;
  int delay = 0;
  int padding = 0;
  int64_t StartSkip() const { return delay + kDecoderDelay; }
  int64_t EndSkip() const { return std::max(padding - kDecoderDelay, 0); }
  static constexpr int kDecoderDelay = 529;
};

// The Xing/Info or VBRI frame the demuxer reads in the layer III frame right
// behind the ID3v2 tags at the file's start: the frame count and audio bytes
// it states, and the LAME tag of an encoder whose tag the demuxer trusts (LAME
// or FFmpeg's).
struct MpegInfoFrame {
  uint32_t header = 0;
  MpegFrame frame;        // what its header states
  bool cbr = false;       // an Info frame: every frame at its bit rate
  int64_t frames = -1;    // stated, the Info frame left out; -1: none, or one the demuxer drops
  int64_t bytes = -1;     // stated, from the Info frame to the end of the audio; -1: none
  int64_t present = 0;    // the bytes there are from the Info frame to the end of the audio
  MpegEncoderGap gap;     // rate 0: no LAME tag
  // The count fits the bytes there are: the stated bytes are those, and the
  // count of frames of sizes the stream allows (an Info frame's size) fills them.
  bool CountHolds() const;
};

// False when no such frame is there.
bool ReadMpegInfoFrame(const QString& path, MpegInfoFrame* info);
