// The notification-area icon: tooltip, picture, left and right clicks
// (MouseEvent 1 and 2) and the end-of-job balloons.
#pragma once
#include <QObject>
#include <QString>

class QSystemTrayIcon;

class cSysTray : public QObject {
  Q_OBJECT
 public:
  explicit cSysTray(QObject* parent = nullptr);
  ~cSysTray() override;
  void AddIcon();
  void RemoveIcon();
  bool IconShown() const;
  QString ToolTip() const { return toolTip_; }
  void SetToolTip(const QString& text);
  QString IconFile() const { return iconFile_; }
  void SetIconFile(const QString& path);
  // icon: 1 information, 2 warning, 3 error; timeout in milliseconds.
  void ShowBalloon(const QString& text, const QString& title, int icon, int timeoutMs);
  QString LastBalloonText() const { return balloonText_; }
  QString LastBalloonTitle() const { return balloonTitle_; }
  int LastBalloonTimeout() const { return balloonTimeoutMs_; }
  // Whether the desktop has a notification area at all (tests may pretend it has).
  static bool Available();
  static void SetAvailableOverride(int available);  // -1: ask the desktop
 signals:
  // 1 left click, 2 right click.
  void MouseEvent(long type, long unused);
 private:
  QSystemTrayIcon* icon_;
  QString toolTip_, iconFile_, balloonText_, balloonTitle_;
  int balloonTimeoutMs_ = 0;
  bool shown_ = false;
};
