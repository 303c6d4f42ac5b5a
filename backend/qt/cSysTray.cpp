#include "platform/cSysTray.h"

#include <QApplication>
#include <QStyle>
#include <QSystemTrayIcon>

namespace {
int g_override = -1;
}

cSysTray::cSysTray(QObject* parent) : QObject(parent), icon_(new QSystemTrayIcon(this)) {
  icon_->setIcon(QApplication::style()->standardIcon(QStyle::SP_MediaVolume));
  connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
    if (r == QSystemTrayIcon::Trigger) emit MouseEvent(1, 0);
    if (r == QSystemTrayIcon::Context) emit MouseEvent(2, 0);
  });
}

cSysTray::~cSysTray() = default;

void cSysTray::AddIcon() {
  shown_ = true;
  if (Available()) icon_->show();
}

void cSysTray::RemoveIcon() {
  shown_ = false;
  icon_->hide();
}

bool cSysTray::IconShown() const { return shown_; }

void cSysTray::SetToolTip(const QString& text) {
  toolTip_ = text;
  icon_->setToolTip(text);
}

void cSysTray::SetIconFile(const QString& path) {
  iconFile_ = path;
  QIcon i(path);
  if (!i.isNull() && !i.availableSizes().isEmpty()) icon_->setIcon(i);
}

void cSysTray::ShowBalloon(const QString& text, const QString& title, int icon, int timeoutMs) {
  balloonText_ = text;
  balloonTitle_ = title;
  balloonTimeoutMs_ = timeoutMs;
  auto kind = icon == 2 ? QSystemTrayIcon::Warning : icon == 3 ? QSystemTrayIcon::Critical
                                                               : QSystemTrayIcon::Information;
  if (shown_ && Available()) icon_->showMessage(title, text, kind, timeoutMs);
}

bool cSysTray::Available() {
  if (g_override >= 0) return g_override == 1;
  return QSystemTrayIcon::isSystemTrayAvailable();
}

void cSysTray::SetAvailableOverride(int available) { g_override = available; }
