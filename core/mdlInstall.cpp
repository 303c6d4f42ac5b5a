#include "core/mdlInstall.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QtEndian>
#include <cmath>

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

struct FirstRunValue {
  const char* subkey;
  const char* name;
  const char* value;
};

// What a new user sees first: a blue title strip with white text, the title
// strip, the information pane and the player shown; and the output-format
// window's own defaults, since a missing list position or box reads as 0
// (a mono WAV, a silent OGG slider). The ACM codec is left to the window,
// which picks it from what the system offers. Values a user has stored stay
// as they are.
const FirstRunValue kFirstRunValues[] = {
    {"General", "picColor", "12937777"},  // red 49, green 106, blue 197
    {"General", "picTextColor", "16777215"},
    {"General", "chkDisplayTitle", "1"},
    {"General", "chkDisplayPlayer", "1"},
    {"Formats\\WAV", "cboSamplesWAV", "44100"},
    {"Formats\\WAV", "cboBitrateWAV", "16"},
    {"Formats\\WAV", "cboChannelsWAV", "1"},  // "Stereo"
    {"Formats\\MP3", "cboMP3Bitrate", "128"},
    {"Formats\\MP3", "cboMP3Quality", "5 "},
    {"Formats\\MP3", "cboMP3Samplerate", "44100"},
    {"Formats\\MP3", "cboMP3Mode", "0"},
    {"Formats\\MP3", "chkMP3ErrorProtect", "0"},
    {"Formats\\MP3", "chkMP3Original", "1"},
    {"Formats\\MP3", "chkMP3Copyright", "1"},
    {"Formats\\MP3", "chkMP3StrictISO", "0"},
    {"Formats\\MP3", "cboMP3VBRQuality", "5 "},
    {"Formats\\MP3", "cboMP3MinBitrate", "96"},
    {"Formats\\MP3", "cboMP3MaxBitrate", "128"},
    {"Formats\\MP3", "chkMP3VBRTag", "1"},
    {"Formats\\MP3", "chkMP3VBRForceMinBitrate", "0"},
    {"Formats\\MP3", "chkMP3ABR", "0"},
    {"Formats\\MP3", "cboMP3ABRBitrate", "96"},
    {"Formats\\MP3", "lblMP3Advanced", "Advanced..."},
    {"Formats\\WMA", "cboWMACodecs", "0"},
    {"Formats\\WMA", "cboWMAFormat", "0"},
    {"Formats\\OGG", "ptnQualityOGG", "True"},
    {"Formats\\OGG", "sldOGG", "50"},
    {"Formats\\OGG", "optOggBit", "False"},
    {"Formats\\OGG", "cboOggBitNom", "32"},
    {"Formats\\APE", "cboAPELevel", "0"},
};

bool storeFirstRunValues(const QString& root) {
  RegistryRoutines store;
  store.hkey = HKEY_LOCAL_MACHINE;
  store.KeyRoot = root;
  for (const FirstRunValue& v : kFirstRunValues) {
    store.Subkey = v.subkey;
    if (!store.GetRegistryValue(v.name).isNull()) continue;
    if (!store.SetRegistryValue(v.name, v.value, REG_SZ)) return false;
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
