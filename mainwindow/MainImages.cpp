#include "mainwindow/MainImages.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

#include "platform/cImageList.h"

namespace {
QIcon drawn(const std::function<void(QPainter&)>& paint) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  paint(p);
  return QIcon(pm);
}

QIcon checkBox(bool marked) {
  return drawn([marked](QPainter& p) {
    p.setPen(QColor(90, 90, 90));
    p.setBrush(Qt::white);
    p.drawRect(2, 2, 11, 11);
    if (!marked) return;
    p.setPen(QPen(QColor(30, 120, 30), 2));
    p.drawLine(4, 8, 7, 11);
    p.drawLine(7, 11, 12, 4);
  });
}

QIcon note() {
  return drawn([](QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 90, 160));
    p.drawEllipse(2, 10, 6, 5);
    p.drawRect(7, 2, 2, 11);
    p.drawRect(7, 2, 6, 2);
  });
}

QIcon plus() {
  return drawn([](QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 140, 60));
    p.drawRect(6, 2, 4, 12);
    p.drawRect(2, 6, 12, 4);
  });
}

QIcon disc() {
  return drawn([](QPainter& p) {
    p.setPen(QColor(100, 100, 100));
    p.setBrush(QColor(220, 220, 230));
    p.drawEllipse(1, 1, 14, 14);
    p.setBrush(Qt::white);
    p.drawEllipse(6, 6, 4, 4);
  });
}
}  // namespace

namespace MainImages {
void FillMenuImages(cImageList& list) {
  QStyle* s = QApplication::style();
  using SP = QStyle::StandardPixmap;
  // Indexes named by the menus, toolbars, tree and status bar.
  const std::pair<int, SP> known[] = {
      {0, SP::SP_ArrowUp},           {1, SP::SP_ArrowDown},          {3, SP::SP_TrashIcon},
      {4, SP::SP_TrashIcon},         {5, SP::SP_DialogSaveButton},   {6, SP::SP_FileDialogDetailedView},
      {8, SP::SP_FileDialogInfoView}, {9, SP::SP_ComputerIcon},      {10, SP::SP_MessageBoxInformation},
      {11, SP::SP_DesktopIcon},      {12, SP::SP_DialogHelpButton},  {17, SP::SP_DirIcon},
      {18, SP::SP_FileDialogContentsView}, {22, SP::SP_MessageBoxQuestion}, {25, SP::SP_DriveCDIcon},
      {27, SP::SP_DialogCloseButton}, {32, SP::SP_FileDialogDetailedView}, {39, SP::SP_FileDialogNewFolder},
      {42, SP::SP_FileIcon},         {43, SP::SP_FileIcon},          {47, SP::SP_MediaPlay},
      {48, SP::SP_FileDialogNewFolder}, {49, SP::SP_FileDialogDetailedView}, {50, SP::SP_TrashIcon},
      {51, SP::SP_FileDialogInfoView}, {53, SP::SP_TitleBarShadeButton}, {59, SP::SP_ComputerIcon},
      {60, SP::SP_MediaSeekForward}, {61, SP::SP_MediaSeekForward},  {62, SP::SP_MediaVolume},
      {63, SP::SP_MediaSkipForward}, {64, SP::SP_MediaSkipBackward}, {70, SP::SP_MediaVolume},
      {71, SP::SP_DriveCDIcon},      {72, SP::SP_DriveCDIcon},       {73, SP::SP_DriveCDIcon},
      {74, SP::SP_DialogApplyButton}, {76, SP::SP_TitleBarMinButton}, {77, SP::SP_TitleBarMinButton},
      {78, SP::SP_DialogCloseButton}, {79, SP::SP_MediaVolume},      {80, SP::SP_ArrowUp},
      {81, SP::SP_ArrowDown},        {82, SP::SP_MediaVolume},
  };
  for (auto& [index, sp] : known) list.SetIcon(index, s->standardIcon(sp));
  list.SetIcon(2, plus());
  list.SetIcon(7, note());
}

void FillGridImages(cImageList& list) {
  list.SetIcon(0, checkBox(false));
  list.SetIcon(1, checkBox(true));
  list.SetIcon(3, note());
  list.SetIcon(4, disc());
}
}  // namespace MainImages
