#include "core/mdlSupportedFormats.h"

namespace {
struct FilterPair {
  const char* description;
  const char* patterns;
};
const FilterPair kAudioFilter[] = {
    {"All supported audio files (*.acm;*.wav;*.aiff;*.aif;*.aifc;*.ape;*.cda;*.mp3;*.ogg;*.au;*.snd;*.vox;*.wav;*.wma;)",
     "*.acm;*.wav;*.aiff;*.aif;*.aifc;*.ape;*.cda;*.mp3;*.ogg;*.au;*.snd;*.vox;*.wav;*.wma;"},
    {"Windows legacy audio components (*.acm;*.wav)", "*.acm;*.wav"},
    {"Audio Interchange File Format (*.aiff;*.aif;*.aifc)", "*.aiff;*.aif;*.aifc"},
    {"Monkey's Audio files (*.ape)", "*.ape"},
    {"Compact Disc Audio track (*.cda)", "*.cda"},
    {"MPEG-1 Audio Layer 3 (MP3) (*.mp3)", "*.mp3"},
    {"Ogg Media format (*.ogg)", "*.ogg"},
    {"Au/SND file format. (*.au;*.snd)", "*.au;*.snd"},
    {"Dialogic ADPCM (VOX) (*.vox)", "*.vox"},
    {"Waveform audio format (*.wav)", "*.wav"},
    {"Windows Media Audio files (*.wma)", "*.wma"},
};
}  // namespace

namespace mdlSupportedFormats {
QString GetAudioFileFilter() {
  QString filter;
  for (const FilterPair& p : kAudioFilter)
    filter += QString::fromLatin1(p.description) + QChar(0) + QString::fromLatin1(p.patterns) + QChar(0);
  return filter;
}
}  // namespace mdlSupportedFormats
