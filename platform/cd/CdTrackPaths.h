// A CD track's row names no file but its drive and number ("D:/Track01.cda").
// Once served, every tool that takes a source by its path (the converters, the
// splitter, the joiner, the disc writers, the waveform editor's preparation)
// reads such a path from the drive as the ripper does, and the conversion
// control reports the track's format and length by it.
#pragma once
#include <QString>

// Serves the tracks of the drives of the shared drive table; calling it again does nothing more.
void ServeCdTrackPaths();
// True for a CD track's path of a drive of the table.
bool IsCdTrackPath(const QString& path);
