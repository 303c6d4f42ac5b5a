// Temporary files of our own beside the files they become (saves, run
// folders, outputs written whole before they replace a file), and the lock
// that tells a file in use from what a killed or crashed run left behind.
// The owner of such a file holds an exclusive lock on it from before the file
// has its name until it is done with it (renamed or removed); a sweep removes
// only files of exactly its own pattern whose lock nobody holds.
#pragma once
#include <QString>
#include <QStringList>
#include <functional>

// An exclusive lock on a file of ours, held while the object lives.
class FileLock {
 public:
  FileLock() = default;
  ~FileLock() { Release(); }
  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;

  // Makes the file at path new and locked: it is made under a passing name,
  // locked and only then renamed to path, so a sweep never finds it unlocked.
  // False when it cannot be made; *taken then tells whether a name was
  // taken, so that another may do.
  bool Create(const QString& path, int mode, bool* taken = nullptr);
  // The descriptor the file was made with (open for writing), -1 when none.
  int Descriptor() const { return fd_; }
  bool Held() const { return fd_ >= 0; }
  void Release();

 private:
  int fd_ = -1;
};

// Removes from the folder each regular file whose name is ours and whose lock
// nobody holds. remove(path) does the removing, with the lock held (by
// default the file is unlinked). Symbolic links are never followed.
void SweepUnlocked(const QString& folder, const std::function<bool(const QString& name)>& ours,
                   const std::function<void(const QString& path)>& remove = {});

// A hidden temporary ".<name>.<16 hex digits>.part" beside a file, for
// writing the file whole before it replaces the file. It is named when made
// as an object and made as a file, locked, by Make (work queued long before
// it runs holds no file and no descriptor). The first one made in a folder
// sweeps that folder's leftovers first, once while the program runs. The
// writer opens Path() itself; the lock stays on a descriptor of its own until
// the object goes, so keep the object until the file is renamed or removed.
// A file still there under its name then is removed with the object: only a
// killed run leaves one.
class HiddenTemp {
 public:
  enum class Folder { Existing, Make };
  HiddenTemp() = default;
  // Nothing is named for a target without a file name.
  explicit HiddenTemp(const QString& target);
  ~HiddenTemp() { Discard(); }
  HiddenTemp(HiddenTemp&& other) noexcept = default;
  HiddenTemp& operator=(HiddenTemp&& other) noexcept;

  // Makes the file, first its folder when asked. False when it cannot be
  // made (a missing or read-only folder): Path() still names it then, so the
  // writer's own open tells why.
  bool Make(Folder folder = Folder::Existing);
  const QString& Path() const { return path_; }

  static bool IsTemporaryName(const QString& name);
  // Removes the leftovers in the folders (at start-up: the destinations used).
  static void Sweep(const QStringList& folders);

 private:
  void Discard();

  QString path_;
  FileLock lock_;
};
