// The CD control: lists the CD drives (real drives, then image drives), selects
// one, reads the table of contents of the disc in it (track count, each
// track's length and kind), and rips one track or a range of it into any
// destination format on a worker thread. Devices are numbered from 0; tracks
// from 1. A rip ends with exactly one of Done, Aborted or Error, delivered on
// the UI thread after RipTrack has returned; a handler may set the members and
// call RipTrack again.
#pragma once
#include <QObject>
#include <QString>
#include <cmath>
#include <functional>
#include <map>
#include <memory>

#include "platform/audio/cAudioJobControl.h"

class CdReadTurns;
class ReadAheadStore;

class cAudioCDRipper : public cAudioJobControl {
  Q_OBJECT
 public:
  explicit cAudioCDRipper(QObject* parent = nullptr);
  ~cAudioCDRipper() override;

  long GetDeviceCount() const;
  // The device name: the drive name ("D:"), a blank and the device in brackets.
  QString GetDeviceName(long position) const;
  // Makes the device current (also for ripping) and reads its disc; false
  // when the drive cannot be opened.
  bool SelectDevice(long position);
  // Why the last SelectDevice returned false; empty when it did not.
  QString DeviceError() const { return deviceError_; }
  // True when the current device holds a disc with at least one audio track.
  bool IsAudioCD() const;
  // Tracks on the current device's disc; 0 when there is none.
  long GetTrackCount() const;
  // 1 for an audio track, 0 for a data track or a track that does not exist.
  long GetTrackType(long track) const;
  // Whole seconds.
  long GetTrackLength(long track) const;

  // The device the next rips read from; -1 for none.
  long DeviceIndex() const { return deviceIndex_; }
  void SetDeviceIndex(long position) { deviceIndex_ = position; }
  long TrackNumber() const { return trackNumber_; }
  void SetTrackNumber(long track) { trackNumber_ = track; }
  // A range in whole seconds from the track's start, for the next rip only;
  // -1 rips the whole track (or the rest of it). A fraction is rounded to the
  // nearest second, as the main list shows it.
  long RangeStart() const { return rangeStart_; }
  void SetRangeStart(double seconds) { rangeStart_ = long(std::nearbyint(seconds)); }
  long RangeLength() const { return rangeLength_; }
  void SetRangeLength(double seconds) { rangeLength_ = long(std::nearbyint(seconds)); }

  // Starts ripping TrackNumber of the DeviceIndex drive into OutputFile;
  // returns 0 at once (AudioErrBusy, without an event, while a rip runs). A
  // rip queued ahead (PrepareAhead) that is the same in every setting is
  // taken over. Rips worked ahead still read the drive one track at a time,
  // at the tracks' reserved places or else in the order they were queued (the
  // rips started here after them), each track read whole so that its encoding
  // runs beside the next track's read: in memory up to a few tens of MB for
  // all of them together, past that in files of a run folder of the ripper's own.
  long RipTrack();
  // Holds the drive's next place in the read order for the track, so that rips
  // queued after it read after it whether it is queued ahead or ripped at its
  // turn; the track's rip, ahead or at its turn, takes the place.
  void ReserveReadTurn(long track);
  // The track will not be ripped: the rips after it no longer wait for it.
  void GiveUpReadTurn(long track);
  // Stops every queued rip and gives up the places still reserved.
  void EndWorkAhead() override;
  // The running rip and every queued one stop; Aborted follows.
  void AbortRip();
  // The preview player's source of a track of the device at that position,
  // from a start in seconds on (cPlayer.PlaySource).
  std::function<std::unique_ptr<PcmSource>(double start)> TrackPreview(long position, long track) const;
  // Opens the tray of the DeviceIndex drive. An image drive has none: nothing happens.
  void Eject();
  // Stops a running rip without further events.
  void CloseRipper();

 signals:
  void Progress(long percent);

 private:
  struct Disc;

  std::unique_ptr<Disc> disc_;
  std::shared_ptr<CdReadTurns> turns_;
  std::map<long, long> readPlaces_;        // track: its reserved place
  std::shared_ptr<ReadAheadStore> store_;  // where tracks read ahead wait
  long deviceIndex_ = -1;
  QString deviceError_;
  long trackNumber_ = 1;
  long rangeStart_ = -1;
  long rangeLength_ = -1;

 protected:
  std::shared_ptr<AheadJob> CurrentJob(bool ahead) const override;
  void UseUpRange() override { rangeStart_ = rangeLength_ = -1; }
};
