// A CD track (whole or a range of it) as a PCM source for the audio job
// runner, so every destination format of the converter serves the ripper too.
// Read through libcdio-paranoia (full paranoia with retries), on a real drive
// and on an image drive alike, so the tests run the path a real drive takes.
#pragma once
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

#include "backend/audio/PcmSource.h"
#include "backend/cd/CdDriveTable.h"

// drive is empty when there is no drive to read from. rangeStart and
// rangeLength are whole seconds from the track's start; -1 for the whole track
// and for the rest of it.
std::unique_ptr<PcmSource> MakeCdTrackSource(std::optional<CdDriveTable::Drive> drive, long track, long rangeStart,
                                             long rangeLength);

// A drive is read by one thread at a time, in the order the reads were asked
// for: tracks read ahead for encoding on other cores keep the row order.
class CdReadTurns : public std::enable_shared_from_this<CdReadTurns> {
 public:
  // One read's place in the order; its turn passes on when released or destroyed.
  class Ticket {
   public:
    Ticket(std::shared_ptr<CdReadTurns> turns, long number) : turns_(std::move(turns)), number_(number) {}
    ~Ticket() { Release(); }
    // Waits until every earlier read has ended; false when abort was set first.
    bool Wait(const std::atomic<bool>* abort);
    void Release();

   private:
    std::shared_ptr<CdReadTurns> turns_;
    long number_;
    std::atomic<bool> released_{false};
  };
  std::shared_ptr<Ticket> Next();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::set<long> pending_;
  long next_ = 0;
};

// The track read in its turn. whole: the track is read into memory when the
// source starts and the drive is free for the next read while the PCM is
// encoded (abort ends the wait for the turn); otherwise the drive is held until
// the source is destroyed.
std::unique_ptr<PcmSource> MakeCdTrackSource(std::optional<CdDriveTable::Drive> drive, long track, long rangeStart,
                                             long rangeLength, std::shared_ptr<CdReadTurns::Ticket> ticket,
                                             bool whole, const std::atomic<bool>* abort);
