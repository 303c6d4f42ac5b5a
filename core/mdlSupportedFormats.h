// The audio input types the program opens.
#pragma once
#include <QString>

namespace mdlSupportedFormats {
// The open dialog's filter: description and pattern list pairs, each piece
// followed by one NUL character.
QString GetAudioFileFilter();
}  // namespace mdlSupportedFormats
