// The second data-disc engine: CDs, DVDs and BDs. A compilation of files, all
// in the root of an ISO 9660 disc (with Joliet names and a UDF file system
// beside it when asked), written on a writer of the drive table or one of its
// data image drives. Writers are numbered from 0.
#pragma once
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class cBurner : public QObject {
  Q_OBJECT
 public:
  explicit cBurner(QObject* parent = nullptr);
  ~cBurner() override;

  // The libraries this engine needs that cannot be found (empty when all are there).
  static QStringList MissingLibraries();

  long DriveCount();
  // index from 0: "E:".
  QString GetDriveLetter(long index);
  // index from 0: the writer's model or image path.
  QString GetDriveName(long index);

  // Starts an empty compilation: no files, ISO 9660 and Joliet on, no label.
  void NewCompilation();
  // ISO 9660 is always written: Joliet lives inside it, and the UDF tool
  // always adds it. DiscFileSystems names what a disc gets for the choice.
  static QString DiscFileSystems(bool iso, bool joliet, bool udf);
  bool UseISO9660() const { return useIso_; }
  void SetUseISO9660(bool v) { useIso_ = v; }
  bool UseJoliet() const { return useJoliet_; }
  void SetUseJoliet(bool v) { useJoliet_ = v; }
  bool UseUDF() const { return useUdf_; }
  void SetUseUDF(bool v) { useUdf_ = v; }
  // Clamped to 32 characters (ISO 9660); Joliet keeps the first 16.
  QString VolumeLabel() const { return volumeLabel_; }
  void SetVolumeLabel(const QString& v) { volumeLabel_ = v; }
  // Adds the file to the compilation; a file that cannot be read ends the
  // write with Error before anything is written.
  void AddFile(const QString& path);
  // Writes the compilation on writer index; returns at once. Every write
  // ends with End, or with Error when it fails (before writing, too).
  void Burn(long index);

 signals:
  void Error(const QString& message, const QString& detail);
  void DoneBurn();
  void Canceled();
  void End();
  void Progress(long percent);
  void Finalization();
  void Initializing();
  void Completed();
  void StartBurning();
  void ItemsCounted(long files, long folders);
  void AddingFile(const QString& path);

 private:
  struct Impl;
  std::unique_ptr<Impl> d;
  QStringList files_;
  bool useIso_ = true, useJoliet_ = true, useUdf_ = false;
  QString volumeLabel_;
};
