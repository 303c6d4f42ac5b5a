// The output-format records handed by reference to the processing controls
// (converter, joiner, CD ripper). Layouts and widths are fixed: settings code
// fills them field by field and the controls read them.
#pragma once
#include <cstddef>
#include <cstdint>

// Destination-format numbers of the processing controls.
enum DestinationFormatNumber : int32_t {
  DestWav = 1, DestAcm = 2, DestMp3 = 3, DestWma = 4, DestOgg = 5, DestApe = 6,
};

struct WavFormatRecord {
  int32_t SampleRate = 0;     // Hz
  int16_t Channels = 0;       // 1 mono, 2 stereo
  int16_t BitsPerSample = 0;  // 8 or 16
  bool operator==(const WavFormatRecord&) const = default;
};
static_assert(sizeof(WavFormatRecord) == 8);

// Booleans hold -1 (true) or 0.
struct Mp3FormatRecord {
  int32_t AbrBitrate = 0;  // kbps
  int32_t Bitrate = 0;     // constant bitrate, kbps
  int16_t Copyright = 0;
  int16_t ErrorProtection = 0;
  int32_t Mode = 0;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono, 4 not set, 5 forced joint stereo
  int16_t Original = 0;
  int32_t SampleRate = 0;  // Hz
  int32_t Quality = 0;     // 0 (best) to 9
  int16_t StrictISO = 0;
  int32_t VbrMethod = 0;  // 0 constant bitrate, 4 VBR, 3 ABR
  int16_t VbrForceMinBitrate = 0;
  int32_t VbrMinBitrate = 0;  // position in Mp3BitrateList
  int32_t VbrMaxBitrate = 0;  // position in Mp3BitrateList
  int32_t VbrQuality = 0;     // 0 (best) to 9
  int16_t WriteVbrTag = 0;
  bool operator==(const Mp3FormatRecord&) const = default;
};
static_assert(sizeof(Mp3FormatRecord) == 56);
static_assert(offsetof(Mp3FormatRecord, Mode) == 12 && offsetof(Mp3FormatRecord, SampleRate) == 20 &&
              offsetof(Mp3FormatRecord, VbrMethod) == 32 && offsetof(Mp3FormatRecord, VbrMinBitrate) == 40 &&
              offsetof(Mp3FormatRecord, WriteVbrTag) == 52);

// The bitrates (kbps) that VbrMinBitrate and VbrMaxBitrate index.
inline constexpr int32_t Mp3BitrateList[] = {8,   16,  24,  32,  40,  48,  56,  64,  80, 96,
                                             112, 128, 144, 160, 176, 192, 224, 256, 320};

struct WmaFormatRecord {
  int32_t CodecIndex = 0;   // position in the converter's WMA codec list
  int32_t FormatIndex = 0;  // position in that codec's format list
  bool operator==(const WmaFormatRecord&) const = default;
};
static_assert(sizeof(WmaFormatRecord) == 8);

struct OggFormatRecord {
  int32_t Mode = 0;            // 2 nominal-bitrate mode, 0 quality mode
  int32_t NominalBitrate = 0;  // kbps, mode 2
  int32_t Quality = 0;         // 0 to 100, mode 0
  bool operator==(const OggFormatRecord&) const = default;
};
static_assert(sizeof(OggFormatRecord) == 12);
