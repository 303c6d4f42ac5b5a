// Temporary files of our own beside the files they become (saves, run
// folders, outputs written whole before they replace a file), and the lock
// that tells a file in use from what a killed or crashed run left behind.
// The owner of such a file holds an exclusive lock from the moment the file
// has its name until it is done with it; a sweep removes only files of
// exactly its own pattern whose lock nobody holds.
// A lock is only ever held on a file that no other descriptor reads or
// writes: on an SMB share a lock is mandatory and would refuse them.
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

  // Makes the file at path new and locked; a sweep that takes it before the
  // lock does is met by making it again, so a sweep never removes it once
  // this returns. False when it cannot be made; *taken then tells whether
  // the name was taken, so that another may do.
  bool Create(const QString& path, int mode, bool* taken = nullptr);
  // Opens the file, made when missing, and waits for its lock: a lock file
  // that stays, guarding a change of other files. False when it cannot.
  bool Take(const QString& path);
  // The descriptor the file was made with (open for writing), -1 when none.
  int Descriptor() const { return fd_; }
  bool Held() const { return fd_ >= 0; }
  void Release();

 private:
  int fd_ = -1;
};

// What a sweep found in a folder: it could not read the folder, it left
// nothing of ours there, or a file of ours in use stays.
enum class Swept { Unread, Empty, Kept };

// Removes from the folder each regular file of the running user whose name
// is ours and whose lock nobody holds. remove(path) does the removing, with
// the lock held (by default the file is unlinked). Symbolic links are never
// followed.
Swept SweepUnlocked(const QString& folder, const std::function<bool(const QString& name)>& ours,
                    const std::function<void(const QString& path)>& remove = {});

// The length of the head of a lock name "<head><mark><random>.lock", random
// being `random` characters out of `alphabet`; -1 for any other name.
qsizetype LockNameHead(QStringView name, QStringView mark, qsizetype random, QStringView alphabet);

// Removes what is at path, a folder with everything in it, without following
// a symbolic link there or inside (a link is removed, never what it points
// to). What another user owns stays, and so do the folders holding it.
void RemoveOwn(const QString& path);

// A hidden temporary ".<name>.tessory-<16 hex digits>.part" beside a file,
// for writing the file whole before it replaces the file (the name cut to
// fit the file system's limit). Its lock is a file of its own, the same name
// ending ".lock", made first and removed last: the writer writes the
// temporary through descriptors of its own. Both are named when made as an
// object and made by Make (work queued long before it runs holds no file and
// no descriptor). The first one made in a folder sweeps that folder's
// leftovers first and notes the folder for the sweep at start-up (see
// Leftovers). Keep the object until the file is renamed or removed; a file
// still there under its name then is removed with the object: only a killed
// run leaves one.
class HiddenTemp {
 public:
  enum class Folder { Existing, Make };
  HiddenTemp() = default;
  // Nothing is named for a target without a file name.
  explicit HiddenTemp(const QString& target);
  ~HiddenTemp() { Remove(); }
  HiddenTemp(HiddenTemp&& other) noexcept = default;
  HiddenTemp& operator=(HiddenTemp&& other) noexcept;

  // Makes the file, first its folder when asked. False when it cannot be
  // made (a missing or read-only folder): Path() still names it then, so the
  // writer's own open tells why.
  bool Make(Folder folder = Folder::Existing);
  const QString& Path() const { return path_; }
  // Removes the file, when not renamed away, and its lock.
  void Remove();
  // Unlinks both names and leaves the lock held: for another thread (a quit)
  // that must not wait for the owner, which lets the lock go in its time.
  void Unlink() const;

  // Removes the leftovers in the folder.
  static Swept Sweep(const QString& folder);

 private:
  QString path_;
  FileLock lock_;
};
