#include "core/mdlSetFormIcon32.h"

#include <QImageReader>
#include <QPainter>
#include <QWidget>

#include "platform/Services.h"

namespace {
struct IconDesign {
  const char* name;
  const char* glyph;
  QColor color;
};
// The program's icons, drawn: a coloured tile with a symbol.
const IconDesign kIcons[] = {
    {"aaa", "\u266B", QColor(40, 90, 170)},       {"cd_music", "\u25CE", QColor(90, 60, 150)},
    {"colors", "\u25D1", QColor(200, 110, 20)},   {"cut", "\u2702", QColor(170, 40, 40)},
    {"document_music", "\u266A", QColor(30, 130, 90)}, {"document_pulse", "\u223F", QColor(20, 120, 150)},
    {"gears", "\u2699", QColor(90, 90, 90)},      {"microphone2", "\u25CF", QColor(150, 30, 90)},
    {"replace2", "\u21C4", QColor(40, 140, 60)},  {"text_align_left", "\u2261", QColor(60, 80, 120)},
    {"notes", "\u270E", QColor(180, 140, 20)},
};
const int kIconSizes[] = {16, 32, 48};

QPixmap drawTile(const IconDesign& d, int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(d.color);
  p.setPen(Qt::NoPen);
  p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 6.0, size / 6.0);
  QFont f = p.font();
  f.setPixelSize(size * 3 / 4);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QString::fromUtf8(d.glyph));
  return pm;
}

// The tray icon the install step puts in the program folder (a PNG despite its name).
QIcon installedProgramIcon() {
  QImageReader reader(ProgramFolder() + "/SysIcon/systrayicon.ico");
  reader.setDecideFormatFromContent(true);
  QImage image = reader.read();
  return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

QWidget* lastOwner(QWidget* window) {
  QWidget* w = window;
  while (w->parentWidget()) w = w->parentWidget()->window();
  return w;
}
}  // namespace

namespace mdlSetFormIcon32 {

QIcon ProgramIcon(const QString& name) {
  const QString key = name.toLower();
  if (key == "aaa") {
    QIcon installed = installedProgramIcon();
    if (!installed.isNull()) return installed;
  }
  for (const IconDesign& d : kIcons) {
    if (key != d.name) continue;
    QIcon icon;
    for (int size : kIconSizes) icon.addPixmap(drawTile(d, size));
    return icon;
  }
  return QIcon();
}

void SetFormIcon(QWidget* window, const QString& iconName, bool setOnOwner) {
  if (!window) return;
  const QIcon icon = ProgramIcon(iconName);
  if (setOnOwner) lastOwner(window)->setWindowIcon(icon);
  window->setWindowIcon(icon);
}

}  // namespace mdlSetFormIcon32
