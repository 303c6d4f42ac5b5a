// Small helpers shared by the FFmpeg-based pieces.
#pragma once
#include <QString>

// FFmpeg's text for an error code.
QString AvErrorText(int code);
// The system's error number (errno) an FFmpeg error code carries; 0 for
// FFmpeg's own codes.
int SystemErrno(int code);
// FFmpeg's own log lines stay off the terminal: every failure reaches the
// user through the job's error text. Called by each FFmpeg user before its work.
void QuietFfmpegLog();
