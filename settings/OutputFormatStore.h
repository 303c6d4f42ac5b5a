// The output-format store: how a job writes each output format. Filled by the
// output-format window when it loads and after its OK; every window that
// starts a conversion, a rip or a join builds its format record from it.
#pragma once
#include <QString>

#include "core/mdlSupportedDestination.h"
#include "platform/audio/FormatRecords.h"

extern long g_lWavSampleRate;     // Hz
extern long g_lWavBits;           // 8 or 16
extern long g_lWavChannelsIndex;  // 0 mono, 1 stereo
extern QString g_sAcmTag;
extern QString g_sAcmFormat;
extern bool g_bMp3Abr;
// Its VbrMethod is never set here: each job works it out (Mp3Format).
extern Mp3FormatRecord g_tMp3Settings;
extern long g_lWmaCodecIndex;
extern long g_lWmaFormatIndex;
extern bool g_bOggQualityMode;
extern long g_lOggQuality;  // 0 to 100
extern bool g_bOggBitrateMode;
extern long g_lOggBitrate;  // kbps
extern long g_lApeLevel;    // 0 to 4

namespace OutputFormatStore {
// Fresh records built from the store; a value that does not fit its field
// leaves the field 0.
WavFormatRecord WavFormat();
// The settings with VbrMethod 4 (and the tag written) when the VBR tag is
// ticked, 3 when ABR is chosen; 0 and no tag otherwise.
Mp3FormatRecord Mp3Format();
WmaFormatRecord WmaFormat();
OggFormatRecord OggFormat();

// Hands the store's settings of an OutputFormat (0 WAV .. 5 APE) to a
// processing control: its destination-format number first, then exactly one
// settings call.
template <class Control>
void HandOver(Control& control, long format) {
  control.SetDestinationFormat(format + 1);
  switch (format) {
    case fmtACM: control.SetAcmFormat(g_sAcmTag, g_sAcmFormat); break;
    case fmtMP3: control.SetMp3Format(Mp3Format()); break;
    case fmtWMA: control.SetWmaFormat(WmaFormat()); break;
    case fmtOGG: control.SetOggFormat(OggFormat()); break;
    case fmtAPE: control.SetApeLevel(g_lApeLevel); break;
    default: control.SetWavFormat(WavFormat()); break;
  }
}
}  // namespace OutputFormatStore
