// The six output formats, always in this order. A format is known by its key,
// the first three letters of its list text; the processing controls take its
// number plus 1.
#pragma once
#include <QString>

class QComboBox;

enum OutputFormat { fmtWAV = 0, fmtACM = 1, fmtMP3 = 2, fmtWMA = 3, fmtOGG = 4, fmtAPE = 5 };
constexpr int OutputFormatCount = 6;

// Offer switches: a format is offered while its switch is 1.
extern long g_lDestWAV, g_lDestACM, g_lDestMP3, g_lDestWMA, g_lDestOGG, g_lDestAPE;

namespace mdlSupportedDestination {
// "WAV", "ACM", ... and "WAV - Waveform Audio Format (*.wav)", ... by number.
QString FormatKey(int number);
QString FormatText(int number);
// Sets all six offer switches to 1.
void InitDestinationFormats();
// Empties the box and adds the text of every offered format; selects nothing.
void FillDestinationFormats(QComboBox* box);
// The number named by the text's first three letters (any case); 0 (WAV) for
// any other text.
long GetDestinationFormatIndex(const QString& text);
}  // namespace mdlSupportedDestination
