// Building the settings windows' intrinsic controls from twips geometry, in
// the looks those windows share: headings, blue links, etched separators,
// colour swatches and title strips.
#pragma once
#include <QLabel>
#include <QString>

class QCheckBox;
class QComboBox;
class QPushButton;
class QWidget;

// A label that reports a left click: links and colour swatches.
class ClickLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
 signals:
  void Click();
 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

namespace FormControls {
// Gives a control its name: the name its stored value goes by.
template <class W>
W* Named(W* w, const char* name) {
  w->setObjectName(name);
  return w;
}
// Places a control at left, top, width, height given in twips.
// A fixed-size dialog window: caption, a close box only, client size in twips, Tahoma 8.25.
void FixedDialog(QWidget* window, const QString& caption, int width, int height);
void Place(QWidget* w, int left, int top, int width, int height);
QLabel* Label(QWidget* parent, const QString& text, int left, int top, int width, int height);
// Bold and underlined.
QLabel* Heading(QWidget* parent, const QString& text, int left, int top, int width, int height);
// Underlined blue text with a hand pointer and a tooltip; with an icon, the
// 16 x 16 picture stands at iconLeft, iconTop (twips) and does nothing.
ClickLabel* Link(QWidget* parent, const QString& text, const QString& tip, int left, int top, int width,
                 int height, const QIcon& icon = QIcon(), int iconLeft = 0, int iconTop = 0);
QCheckBox* Check(QWidget* parent, const QString& text, int left, int top, int width, int height);
// A drop-down list that takes no typed text.
QComboBox* List(QWidget* parent, int left, int top, int width, int height);
// An editable folder box whose list is a history: what the user types (Enter
// included) stays in the box and never becomes an entry of the list.
QComboBox* HistoryBox(QWidget* parent, int left, int top, int width, int height);
QPushButton* Button(QWidget* parent, const QString& text, int left, int top, int width, int height,
                    bool bold = false);
// Etched lines: grey with a white line 15 twips below (horizontal) or to the
// right (vertical).
void HSeparator(QWidget* parent, int left, int right, int top);
void VSeparator(QWidget* parent, int left, int top, int bottom);
// A bordered colour swatch.
ClickLabel* Swatch(QWidget* parent, int left, int top, int width, int height);
// A plain panel filled with a colour number.
QWidget* Panel(QWidget* parent, int left, int top, int width, int height);
void SetControlBackColor(QWidget* w, long color);
long ControlBackColor(const QWidget* w);
void SetControlForeColor(QWidget* w, long color);
// The skin's window back colour (g_sFormBackColor as a number).
long FormBackColor();
// Check-box value: 0 cleared, 1 ticked, 2 greyed.
int CheckValue(const QCheckBox* box);
void SetCheckValue(QCheckBox* box, int value);
// Adds an entry without choosing it: a list with no choice keeps none.
// With sorted, the entry goes to its alphabetical place (letter case ignored).
void AddItem(QComboBox* box, const QString& text, bool sorted = false);
// Chooses the entry of exactly that text; false (choice unchanged) when none.
bool SelectText(QComboBox* box, const QString& text);
}  // namespace FormControls
