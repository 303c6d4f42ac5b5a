// A CD track (whole or a range of it) as a PCM source for the audio job
// runner, so every destination format of the converter serves the ripper too.
// Read through libcdio-paranoia (full paranoia with retries), on a real drive
// and on an image drive alike, so the tests run the path a real drive takes.
#pragma once
#include <memory>
#include <optional>

#include "backend/audio/PcmSource.h"
#include "backend/cd/CdDriveTable.h"

// drive is empty when there is no drive to read from. rangeStart and
// rangeLength are whole seconds from the track's start; -1 for the whole track
// and for the rest of it.
std::unique_ptr<PcmSource> MakeCdTrackSource(std::optional<CdDriveTable::Drive> drive, long track, long rangeStart,
                                             long rangeLength);
