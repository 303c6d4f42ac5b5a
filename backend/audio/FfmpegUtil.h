// Small helpers shared by the FFmpeg-based pieces.
#pragma once
#include <QString>

// FFmpeg's text for an error code.
QString AvErrorText(int code);
