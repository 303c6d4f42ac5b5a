// The CD control: lists the CD drives (real drives, then image drives), selects
// one, and reads the table of contents of the disc in it: track count, each
// track's length and kind. Devices are numbered from 0; tracks from 1.
#pragma once
#include <QObject>
#include <QString>
#include <memory>

class cAudioCDRipper : public QObject {
  Q_OBJECT
 public:
  explicit cAudioCDRipper(QObject* parent = nullptr);
  ~cAudioCDRipper() override;

  long GetDeviceCount() const;
  // The device name: the drive name ("D:"), a blank and the device in brackets.
  QString GetDeviceName(long position) const;
  // Makes the device current and reads its disc; false when the drive cannot be opened.
  bool SelectDevice(long position);
  // True when the current device holds a disc with at least one audio track.
  bool IsAudioCD() const;
  // Tracks on the current device's disc; 0 when there is none.
  long GetTrackCount() const;
  // 1 for an audio track, 0 for a data track or a track that does not exist.
  long GetTrackType(long track) const;
  // Whole seconds.
  long GetTrackLength(long track) const;

 signals:
  void Error(long code, const QString& text);

 private:
  struct Disc;
  std::unique_ptr<Disc> disc_;
};
