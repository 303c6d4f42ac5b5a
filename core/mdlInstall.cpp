#include "core/mdlInstall.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QtEndian>
#include <cmath>
#include <utility>

#include "core/RegistryRoutines.h"
#include "core/mdlModes.h"
#include "platform/Registry.h"
#include "platform/Services.h"

namespace {
const char* const kSections[] = {"General", "Events", "ID3 Tags", "Display",
                                 "Formats\\WAV", "Formats\\ACM", "Formats\\MP3",
                                 "Formats\\WMA", "Formats\\OGG", "Formats\\APE"};

// A short two-note chime as 16-bit mono PCM, the sound played at the end of a job.
QByteArray chimeWav() {
  const int rate = 22050, n = rate * 4 / 10;
  QByteArray pcm(n * 2, '\0');
  for (int i = 0; i < n; ++i) {
    double t = double(i) / rate, f = i < n / 2 ? 880.0 : 1320.0;
    double env = std::exp(-6.0 * (i % (n / 2)) / double(n / 2));
    qToLittleEndian<qint16>(qint16(12000 * env * std::sin(2 * M_PI * f * t)), pcm.data() + 2 * i);
  }
  QByteArray h(44, '\0');
  auto put32 = [&](int at, quint32 v) { qToLittleEndian<quint32>(v, h.data() + at); };
  auto put16 = [&](int at, quint16 v) { qToLittleEndian<quint16>(v, h.data() + at); };
  memcpy(h.data(), "RIFF", 4); put32(4, 36 + pcm.size()); memcpy(h.data() + 8, "WAVEfmt ", 8);
  put32(16, 16); put16(20, 1); put16(22, 1); put32(24, rate); put32(28, rate * 2);
  put16(32, 2); put16(34, 16); memcpy(h.data() + 36, "data", 4); put32(40, pcm.size());
  return h + pcm;
}

// What a new user sees first: a blue title strip with white text, the title
// strip, the information pane and the player shown. Values a user has
// stored stay as they are.
const std::pair<const char*, const char*> kFirstRunValues[] = {
    {"picColor", "12937777"},  // red 49, green 106, blue 197
    {"picTextColor", "16777215"},
    {"chkDisplayTitle", "1"},
    {"chkDisplayPlayer", "1"},
};

bool storeFirstRunValues(const QString& root) {
  RegistryRoutines general;
  general.hkey = HKEY_LOCAL_MACHINE;
  general.KeyRoot = root;
  general.Subkey = "General";
  for (const auto& [name, value] : kFirstRunValues) {
    if (!general.GetRegistryValue(name).isNull()) continue;
    if (!general.SetRegistryValue(name, value, REG_SZ)) return false;
  }
  return true;
}

void writeIfMissing(const QString& path, const QByteArray& data) {
  if (QFile::exists(path)) return;
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(data);
}

void writeTrayIcon(const QString& path) {
  if (QFile::exists(path)) return;
  QImage img(32, 32, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(40, 90, 160));
  p.setPen(Qt::NoPen);
  p.drawEllipse(1, 1, 30, 30);
  p.setBrush(QColor(248, 248, 248));
  p.drawEllipse(11, 11, 10, 10);
  p.end();
  img.save(path, "PNG");
}
}  // namespace

namespace mdlInstall {
bool Install(QString* error) {
  mdlModes::InitAppMode();
  const QString root = mdlModes::SettingsKeyRoot();
  if (Hive::Damaged(HKEY_LOCAL_MACHINE)) {
    if (error) *error = "The settings file in " + Hive::Folder() + " is damaged; it was left as it is.";
    return false;
  }
  for (const char* s : kSections) {
    if (Hive::CreateKey(HKEY_LOCAL_MACHINE, root + "\\" + s) != ERROR_SUCCESS) {
      if (error) *error = "Cannot create the settings key in " + Hive::Folder();
      return false;
    }
  }
  if (!storeFirstRunValues(root)) {
    if (error) *error = "Cannot store the first settings in " + Hive::Folder();
    return false;
  }
  const QString dir = ProgramFolder();
  for (const char* sub : {"Main", "sound", "SysIcon", "View", "datacdtmp"}) QDir(dir).mkpath(sub);
  writeIfMissing(dir + "/sound/notify.wav", chimeWav());
  writeTrayIcon(dir + "/SysIcon/systrayicon.ico");
  return true;
}
}  // namespace mdlInstall
