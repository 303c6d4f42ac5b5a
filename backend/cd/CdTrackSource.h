// A CD track (whole or a range of it) as a PCM source for the audio job
// runner, so every destination format of the converter serves the ripper too.
// Read through libcdio-paranoia (full paranoia with retries), on a real drive
// and on an image drive alike, so the tests run the path a real drive takes.
#pragma once
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

#include "backend/audio/PcmSource.h"
#include "backend/cd/CdDriveTable.h"
#include "backend/cd/ReadAheadStore.h"

// drive is empty when there is no drive to read from. rangeStart and
// rangeLength are whole seconds from the track's start; -1 for the whole track
// and for the rest of it.
std::unique_ptr<PcmSource> MakeCdTrackSource(std::optional<CdDriveTable::Drive> drive, long track, long rangeStart,
                                             long rangeLength);

// A drive is read by one thread at a time, in the order of the places the reads
// hold: tracks read ahead for encoding on other cores keep the row order. A
// place can be reserved before its read is set up, so that reads at later
// places wait for it until it is read or given up.
class CdReadTurns : public std::enable_shared_from_this<CdReadTurns> {
 public:
  // One read at its place; the place passes on when released or destroyed.
  class Ticket {
   public:
    Ticket(std::shared_ptr<CdReadTurns> turns, long place) : turns_(std::move(turns)), place_(place) {}
    ~Ticket() { Release(); }
    // Waits until the drive is free and no earlier place is held; false when abort was set first.
    bool Wait(const std::atomic<bool>* abort);
    void Release();
    // True while a later place is held: a read there waits for this one.
    bool LaterReadsWait() const;

   private:
    std::shared_ptr<CdReadTurns> turns_;
    long place_;
    std::atomic<bool> released_{false};
  };
  // A place after every place given so far.
  long Reserve();
  // The read at that place, taking its reservation over while it is held.
  std::shared_ptr<Ticket> At(long place);
  // Gives a reservation up when no read has taken it over.
  void GiveUp(long place);
  std::shared_ptr<Ticket> Next() { return At(Reserve()); }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::multiset<long> held_;  // reservations and unreleased tickets
  std::set<long> reserved_;
  const Ticket* reading_ = nullptr;
  long next_ = 0;
};

// Told the track each time a read takes its turn at a drive, in the order the
// drive is read; for tests. An empty watcher tells no one.
void WatchCdReads(std::function<void(long track)> watcher);

// The track read in its turn. With a store, while reads at later places wait,
// the track is read whole into the store when the source starts and the drive
// is free for the next read while the PCM is encoded (abort ends the wait for
// the turn); otherwise the drive is held until the source is destroyed.
std::unique_ptr<PcmSource> MakeCdTrackSource(std::optional<CdDriveTable::Drive> drive, long track, long rangeStart,
                                             long rangeLength, std::shared_ptr<CdReadTurns::Ticket> ticket,
                                             std::shared_ptr<ReadAheadStore> store, const std::atomic<bool>* abort);
