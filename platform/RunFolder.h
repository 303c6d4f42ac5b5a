// A folder of one run inside a folder that several runs share (the data-disc
// staging folder, the audio-CD cache): a run that ends erases its own folder
// and never another run's, in this program or in a second one running beside
// it. The owner holds a lock on the folder while it lives; a run folder whose
// lock nobody holds is what a crashed run left, and is removed when the next
// run folder is made there or, in the program's own shared folders, at the
// next start (see Leftovers). Nothing else in the shared folder is ever
// touched, and a symbolic link is never followed.
#pragma once
#include <QString>
#include <QStringList>

#include "platform/HiddenTemp.h"

class RunFolder {
 public:
  explicit RunFolder(QString shared);
  ~RunFolder();
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;

  // Makes and locks the folder when it is not made yet; false when the shared
  // folder cannot be written.
  bool Make();
  // The folder, ending with "/", whether made yet or not.
  QString Path() const { return path_ + "/"; }
  // Removes the folder with everything in it and gives up the lock.
  void Remove();

  // The program's shared folders, in the program folder: the only ones
  // swept at start-up.
  enum class Place { BurnCache, RipCache, Staging };
  static QString SharedFolder(Place place);
  static QStringList SharedFolders();

  // Removes the run folders of the running user in the shared folder that no
  // run holds.
  static void Sweep(const QString& shared);

 private:
  QString shared_;
  QString path_;
  FileLock lock_;
};
