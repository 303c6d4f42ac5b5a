// The first data-disc engine: CDs only. Files added one by one go to the root
// of an ISO 9660 disc with Joliet names, written on a CD writer of the drive
// table or on one of its image drives (any image that is not a ".cue").
// Drive letters are one-character texts ("E").
#pragma once
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class cAudioDataBurner : public QObject {
  Q_OBJECT
 public:
  explicit cAudioDataBurner(QObject* parent = nullptr);
  ~cAudioDataBurner() override;

  long GetDriveCount();
  // index from 1: "E: " and the writer's model or image path.
  QString GetDriveName(long index);
  long GetSpeedCount(const QString& letter);
  // index from 1: a speed in KB/s.
  long GetSpeed(long index) const;
  // True when the writer answers and holds a disc.
  bool IsDriveReady(const QString& letter);
  // True when the disc holds nothing yet (an image drive always starts a new image).
  bool IsDiscEmpty(const QString& letter);
  // An empty letter does nothing.
  // The folder of the writer's disc for a file manager ("" when none).
  QString GetDriveRoot(const QString& letter);
  void OpenTray(const QString& letter);
  void CloseTray(const QString& letter);

  // True when the file can be read; it goes to the root of the disc.
  bool AddFile(const QString& path);
  // Clamped to 32 characters (ISO 9660); Joliet keeps the first 16.
  QString VolumeLabel() const { return volumeLabel_; }
  void SetVolumeLabel(const QString& v) { volumeLabel_ = v; }
  // Taken and not used: the disc is always ISO 9660 with Joliet.
  QString FileSystemName() const { return fileSystemName_; }
  void SetFileSystemName(const QString& v) { fileSystemName_ = v; }
  QString ApplicationName() const { return applicationName_; }
  void SetApplicationName(const QString& v) { applicationName_ = v; }
  QString PublisherName() const { return publisherName_; }
  void SetPublisherName(const QString& v) { publisherName_ = v; }
  // True: disc at once; False: track at once. The session is closed either way.
  bool WriteOption() const { return writeOption_; }
  void SetWriteOption(bool v) { writeOption_ = v; }
  // Writes the added files (and forgets them) at speed KB/s, 65535 the
  // highest; returns at once. Every write ends with exactly one of Finished
  // or Error, also when it cannot start.
  void Burn(const QString& letter, long speed);
  // Stops a running write without further events and releases the writer.
  void CloseBurner();

 signals:
  void Progress(int percent);
  void ClosingSession();
  void BurnStarted();
  void Finished();
  void Error(long code, const QString& text);

 private:
  struct Impl;
  std::unique_ptr<Impl> d;
  QStringList files_;
  QString volumeLabel_, fileSystemName_, applicationName_, publisherName_;
  bool writeOption_ = false;
  std::vector<long> speeds_;
};
