// The hive is a JSON file per root, read again when another process changed it
// and written whole through a temporary file and a rename after every change.
// A change is made under a lock on the hive folder on what the file holds at
// that moment, so two running programs keep each other's values.
#include "platform/Registry.h"

#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
struct Key {
  QString name;
  std::vector<std::pair<QString, RegValue>> values;
  std::vector<std::unique_ptr<Key>> keys;

  Key* child(const QString& n) const {
    for (auto& k : keys)
      if (k->name.compare(n, Qt::CaseInsensitive) == 0) return k.get();
    return nullptr;
  }
  RegValue* value(const QString& n) {
    for (auto& v : values)
      if (v.first.compare(n, Qt::CaseInsensitive) == 0) return &v.second;
    return nullptr;
  }
};

// What the file looked like when it was read: another process's save gives a
// new file (a rename), so any of these changes.
struct Stamp {
  bool exists = false;
  qint64 seconds = 0, nanoseconds = 0, size = 0;
  ino_t inode = 0;
  bool operator==(const Stamp&) const = default;
};

struct Root {
  Key top;
  Stamp stamp;
  bool loaded = false;
  // A file that cannot be read as a hive reads as empty and is never
  // overwritten, so the user's settings can still be rescued by hand.
  bool damaged = false;
};

QString g_folder;
std::map<long, Root> g_roots;

QString fileFor(long root) {
  return Hive::Folder() + (root == HKEY_LOCAL_MACHINE ? "/machine.hive" : "/user.hive");
}

Stamp stampOf(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
  return {true, st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_size, st.st_ino};
}

// Holds the hive folder's lock while a change is read, made and written, so
// two running programs never write over each other's changes.
class FolderLock {
 public:
  explicit FolderLock(const QString& folder)
      : fd_(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_;
};

bool isText(int type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

QJsonObject toJson(const Key& k) {
  QJsonObject o;
  QJsonArray values;
  for (auto& [n, v] : k.values) {
    QJsonObject jv{{"name", n}, {"type", v.type}};
    if (isText(v.type)) jv["text"] = QString::fromUtf8(v.data);
    else jv["data"] = QString::fromLatin1(v.data.toBase64());
    values.append(jv);
  }
  QJsonArray keys;
  for (auto& c : k.keys) {
    QJsonObject jc = toJson(*c);
    jc["name"] = c->name;
    keys.append(jc);
  }
  o["values"] = values;
  o["keys"] = keys;
  return o;
}

void fromJson(const QJsonObject& o, Key& k) {
  for (const auto& jv : o["values"].toArray()) {
    QJsonObject v = jv.toObject();
    RegValue rv;
    rv.type = v["type"].toInt();
    rv.data = isText(rv.type) ? v["text"].toString().toUtf8()
                              : QByteArray::fromBase64(v["data"].toString().toLatin1());
    k.values.emplace_back(v["name"].toString(), rv);
  }
  for (const auto& jc : o["keys"].toArray()) {
    auto c = std::make_unique<Key>();
    c->name = jc.toObject()["name"].toString();
    fromJson(jc.toObject(), *c);
    k.keys.push_back(std::move(c));
  }
}

// The root as its file holds it now; read again only when the file changed,
// unless asked to.
Root& rootFor(long root, bool reread = false) {
  Root& r = g_roots[root];
  const QString path = fileFor(root);
  const Stamp stamp = stampOf(path);
  if (r.loaded && stamp == r.stamp && !reread) return r;
  r.top = Key();
  r.loaded = true;
  r.stamp = stamp;
  r.damaged = false;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    r.damaged = stamp.exists;
    return r;
  }
  QJsonParseError err;
  QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &err);
  if (err.error != QJsonParseError::NoError || !doc.isObject()) {
    r.damaged = true;
    return r;
  }
  fromJson(doc.object(), r.top);
  return r;
}

bool save(long root) {
  Root& r = g_roots[root];
  if (!SafeFile::Write(fileFor(root), QJsonDocument(toJson(r.top)).toJson(QJsonDocument::Indented))) return false;
  r.stamp = stampOf(fileFor(root));
  return true;
}

QStringList parts(const QString& path) { return path.split('\\', Qt::SkipEmptyParts); }

bool knownRoot(long root) { return root == HKEY_LOCAL_MACHINE || root == HKEY_CURRENT_USER; }

Key* find(Key& top, const QString& path) {
  Key* k = &top;
  for (const QString& p : parts(path)) {
    k = k->child(p);
    if (!k) return nullptr;
  }
  return k;
}

Key* find(long root, const QString& path) { return knownRoot(root) ? find(rootFor(root).top, path) : nullptr; }

// Makes a change of a known root on what its file holds now, under the
// folder's lock, and writes it. The edit returns its result code and sets
// `changed` when there is something to write; a change that cannot be written
// is dropped again, as the file still holds the old content.
template <class Edit>
long change(long root, Edit edit) {
  QDir().mkpath(Hive::Folder());
  const FolderLock lock(Hive::Folder());
  Root& r = rootFor(root, true);
  if (r.damaged) return ERROR_ACCESS_DENIED;
  bool changed = false;
  const long code = edit(r.top, changed);
  if (code != ERROR_SUCCESS || !changed) return code;
  if (save(root)) return ERROR_SUCCESS;
  r.loaded = false;
  return ERROR_ACCESS_DENIED;
}
}  // namespace

namespace Hive {
bool KeyExists(long root, const QString& path) { return find(root, path) != nullptr; }

std::optional<RegValue> Query(long root, const QString& path, const QString& name, long* code) {
  Key* k = find(root, path);
  RegValue* v = k ? k->value(name) : nullptr;
  if (code) *code = v ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  if (!v) return std::nullopt;
  return *v;
}

long SetValue(long root, const QString& path, const QString& name, const RegValue& value) {
  if (!knownRoot(root)) return ERROR_ACCESS_DENIED;
  return change(root, [&](Key& top, bool& changed) {
    Key* k = find(top, path);
    if (!k) return ERROR_FILE_NOT_FOUND;
    if (RegValue* v = k->value(name)) *v = value;
    else k->values.emplace_back(name, value);
    changed = true;
    return ERROR_SUCCESS;
  });
}

long DeleteValue(long root, const QString& path, const QString& name) {
  if (!knownRoot(root)) return ERROR_ACCESS_DENIED;
  return change(root, [&](Key& top, bool& changed) {
    Key* k = find(top, path);
    if (!k) return ERROR_FILE_NOT_FOUND;
    auto it = std::find_if(k->values.begin(), k->values.end(), [&](auto& v) {
      return v.first.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (it == k->values.end()) return ERROR_FILE_NOT_FOUND;
    k->values.erase(it);
    changed = true;
    return ERROR_SUCCESS;
  });
}

long CreateKey(long root, const QString& path) {
  if (!knownRoot(root)) return ERROR_INVALID_HANDLE;
  return change(root, [&](Key& top, bool& changed) {
    Key* k = &top;
    for (const QString& p : parts(path)) {
      Key* c = k->child(p);
      if (!c) {
        k->keys.push_back(std::make_unique<Key>());
        c = k->keys.back().get();
        c->name = p;
        changed = true;
      }
      k = c;
    }
    return ERROR_SUCCESS;
  });
}

long DeleteKey(long root, const QString& path) {
  QStringList p = parts(path);
  if (p.isEmpty() || !knownRoot(root)) return ERROR_ACCESS_DENIED;
  const QString last = p.takeLast();
  return change(root, [&](Key& top, bool& changed) {
    Key* parent = find(top, p.join('\\'));
    Key* k = parent ? parent->child(last) : nullptr;
    if (!k) return ERROR_FILE_NOT_FOUND;
    if (!k->keys.empty()) return ERROR_ACCESS_DENIED;
    std::erase_if(parent->keys, [k](auto& c) { return c.get() == k; });
    changed = true;
    return ERROR_SUCCESS;
  });
}

QStringList EnumKeys(long root, const QString& path, long* code) {
  Key* k = find(root, path);
  if (code) *code = k ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  QStringList out;
  if (k)
    for (auto& c : k->keys) out << c->name;
  return out;
}

QStringList EnumValues(long root, const QString& path, long* code) {
  Key* k = find(root, path);
  if (code) *code = k ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  QStringList out;
  if (k)
    for (auto& v : k->values) out << v.first;
  return out;
}

QString ExpandEnvironmentStrings(const QString& text) {
  static const QRegularExpression re(R"(%([A-Za-z_][A-Za-z0-9_]*)%|\$\{([A-Za-z_][A-Za-z0-9_]*)\}|\$([A-Za-z_][A-Za-z0-9_]*))");
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  QString out;
  qsizetype last = 0;
  for (auto it = re.globalMatch(text); it.hasNext();) {
    auto m = it.next();
    QString name = m.captured(1) + m.captured(2) + m.captured(3);
    out += text.mid(last, m.capturedStart() - last);
    // An unknown variable stays as written, as the Windows expansion leaves it.
    out += env.contains(name) ? env.value(name) : m.captured(0);
    last = m.capturedEnd();
  }
  return out + text.mid(last);
}

bool Damaged(long root) { return knownRoot(root) && rootFor(root).damaged; }

QString Folder() {
  if (!g_folder.isEmpty()) return g_folder;
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Tessory";
}

void SetFolder(const QString& folder) {
  g_folder = folder;
  g_roots.clear();
}
}  // namespace Hive
