// The hive is a JSON file per root, read again when another process changed it
// and written whole through a temporary file and a rename after every change.
#include "platform/Registry.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <map>
#include <memory>
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

struct Root {
  Key top;
  QDateTime stamp;
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

Root& rootFor(long root) {
  Root& r = g_roots[root];
  QFileInfo fi(fileFor(root));
  QDateTime stamp = fi.exists() ? fi.lastModified() : QDateTime();
  if (r.loaded && stamp == r.stamp) return r;
  r.top = Key();
  r.loaded = true;
  r.stamp = stamp;
  r.damaged = false;
  QFile f(fi.filePath());
  if (!f.open(QIODevice::ReadOnly)) {
    r.damaged = fi.exists();
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
  if (r.damaged) return false;
  QDir().mkpath(Hive::Folder());
  QSaveFile f(fileFor(root));
  if (!f.open(QIODevice::WriteOnly)) return false;
  f.write(QJsonDocument(toJson(r.top)).toJson(QJsonDocument::Indented));
  if (!f.commit()) return false;
  r.stamp = QFileInfo(fileFor(root)).lastModified();
  return true;
}

QStringList parts(const QString& path) { return path.split('\\', Qt::SkipEmptyParts); }

bool knownRoot(long root) { return root == HKEY_LOCAL_MACHINE || root == HKEY_CURRENT_USER; }

bool writable(long root) { return knownRoot(root) && !rootFor(root).damaged; }

Key* find(long root, const QString& path) {
  if (!knownRoot(root)) return nullptr;
  Key* k = &rootFor(root).top;
  for (const QString& p : parts(path)) {
    k = k->child(p);
    if (!k) return nullptr;
  }
  return k;
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
  if (!writable(root)) return ERROR_ACCESS_DENIED;
  Key* k = find(root, path);
  if (!k) return ERROR_FILE_NOT_FOUND;
  if (RegValue* v = k->value(name)) *v = value;
  else k->values.emplace_back(name, value);
  return save(root) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

long DeleteValue(long root, const QString& path, const QString& name) {
  if (!writable(root)) return ERROR_ACCESS_DENIED;
  Key* k = find(root, path);
  if (!k) return ERROR_FILE_NOT_FOUND;
  auto it = std::find_if(k->values.begin(), k->values.end(), [&](auto& v) {
    return v.first.compare(name, Qt::CaseInsensitive) == 0;
  });
  if (it == k->values.end()) return ERROR_FILE_NOT_FOUND;
  k->values.erase(it);
  return save(root) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

long CreateKey(long root, const QString& path) {
  if (!knownRoot(root)) return ERROR_INVALID_HANDLE;
  if (!writable(root)) return ERROR_ACCESS_DENIED;
  Key* k = &rootFor(root).top;
  bool changed = false;
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
  if (!changed) return ERROR_SUCCESS;
  return save(root) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

long DeleteKey(long root, const QString& path) {
  QStringList p = parts(path);
  if (p.isEmpty() || !writable(root)) return ERROR_ACCESS_DENIED;
  QString last = p.takeLast();
  Key* parent = find(root, p.join('\\'));
  Key* k = parent ? parent->child(last) : nullptr;
  if (!k) return ERROR_FILE_NOT_FOUND;
  if (!k->keys.empty()) return ERROR_ACCESS_DENIED;
  std::erase_if(parent->keys, [k](auto& c) { return c.get() == k; });
  return save(root) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
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
