// Shared by the item-list benchmarks: the list half of the main window on its
// own, a temporary home and a generated sine WAV.
#pragma once
#include <QFile>
#include <QtEndian>
#include <cmath>

#include "lists/frmMainLists.h"
#include "mainwindow/frmMain.h"

// The list half of the main window on its own, without menus, player or tray.
class ListWindow : public frmMainLists {
 public:
  ListWindow() { frmMain::InitItemGrid(*cGrid1, imgGrid); }
  void m_cMenu_Click(long) override {}
  void StopPlay() override {}
  void tlbrPlayButtons_ButtonClick(long) override {}
};

// Settings, lists and data of the run go to a temporary home; windows are offscreen.
inline void UseHome(const QString& home) {
  qputenv("HOME", home.toLocal8Bit());
  qputenv("XDG_DATA_HOME", (home + "/data").toLocal8Bit());
  qputenv("QT_QPA_PLATFORM", "offscreen");
}

// A 44.1 kHz stereo 16-bit sine of the given length.
inline void writeWav(const QString& path, double seconds) {
  const int rate = 44100, channels = 2;
  const qint64 frames = qint64(seconds * rate);
  QByteArray pcm(int(frames * channels * 2), '\0');
  auto* out = reinterpret_cast<qint16*>(pcm.data());
  for (qint64 i = 0; i < frames; ++i)
    out[2 * i] = out[2 * i + 1] = qToLittleEndian(qint16(8000 * std::sin(2 * M_PI * 440.0 * double(i) / rate)));
  QByteArray h("RIFF");
  auto u32 = [&](quint32 v) { h.append(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](quint16 v) { h.append(reinterpret_cast<const char*>(&v), 2); };
  u32(quint32(36 + pcm.size()));
  h.append("WAVEfmt ");
  u32(16), u16(1), u16(channels), u32(rate), u32(rate * channels * 2), u16(channels * 2), u16(16);
  h.append("data");
  u32(quint32(pcm.size()));
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(h + pcm);
}
