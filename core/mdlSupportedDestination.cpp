#include "core/mdlSupportedDestination.h"

#include <QComboBox>
#include <QSignalBlocker>

long g_lDestWAV = 1, g_lDestACM = 1, g_lDestMP3 = 1, g_lDestWMA = 1, g_lDestOGG = 1, g_lDestAPE = 1;

namespace {
struct Format {
  const char* key;
  const char* text;
  long* offered;
};
const Format kFormats[OutputFormatCount] = {
    {"WAV", "WAV - Waveform Audio Format (*.wav)", &g_lDestWAV},
    {"ACM", "ACM - Waveform ACM Codecs (*.wav)", &g_lDestACM},
    {"MP3", "MP3 - MPEG-1 Audio Layer 3 (*.mp3)", &g_lDestMP3},
    {"WMA", "WMA - Windows Media Audio files (*.wma)", &g_lDestWMA},
    {"OGG", "OGG - Ogg Media Format (*.ogg)", &g_lDestOGG},
    {"APE", "APE - Monkey 's Audio (*.ape)", &g_lDestAPE},
};
bool valid(int number) { return number >= 0 && number < OutputFormatCount; }
}  // namespace

namespace mdlSupportedDestination {

QString FormatKey(int number) { return valid(number) ? kFormats[number].key : QString(); }
QString FormatText(int number) { return valid(number) ? kFormats[number].text : QString(); }

void InitDestinationFormats() {
  for (const Format& f : kFormats) *f.offered = 1;
}

void FillDestinationFormats(QComboBox* box) {
  InitDestinationFormats();
  const QSignalBlocker quiet(box);
  box->clear();
  for (const Format& f : kFormats)
    if (*f.offered == 1) box->addItem(f.text);
  box->setCurrentIndex(-1);
}

long GetDestinationFormatIndex(const QString& text) {
  const QString key = text.left(3).toUpper();
  for (int i = 0; i < OutputFormatCount; ++i)
    if (key == kFormats[i].key) return i;
  return 0;
}

}  // namespace mdlSupportedDestination
