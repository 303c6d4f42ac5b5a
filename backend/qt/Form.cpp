#include "platform/Form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QPointer>
#include <QScreen>

namespace {
struct Entry {
  std::type_index type;
  QPointer<Form> form;
};
std::vector<Entry>& registry() {
  static std::vector<Entry> r;
  return r;
}
void forget(Form* f) {
  auto& r = registry();
  std::erase_if(r, [f](const Entry& e) { return e.form == f || e.form.isNull(); });
}
QMargins frameMargins(const QWidget& w) {
  const QRect f = w.frameGeometry(), g = w.geometry();
  return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
}
// Before its first show a window's frame is unknown: its owner's, or that of
// another shown window, is the best guess.
QMargins guessedMargins(const Form& f, const QWidget* owner) {
  if (QMargins own = frameMargins(f); !own.isNull()) return own;
  if (owner) return frameMargins(*owner->window());
  for (const Form* other : LoadedForms())
    if (other->isVisible() && !frameMargins(*other).isNull()) return frameMargins(*other);
  return {};
}
}  // namespace

QColor ColorFromNumber(long n) {
  return QColor(int(n & 0xFF), int((n >> 8) & 0xFF), int((n >> 16) & 0xFF));
}
long NumberFromColor(const QColor& c) { return c.red() + 256L * c.green() + 65536L * c.blue(); }

std::vector<Form*> LoadedForms() {
  std::vector<Form*> out;
  for (auto& e : registry())
    if (e.form && e.form->IsLoaded()) out.push_back(e.form);
  return out;
}

namespace detail {
Form* FindForm(std::type_index type) {
  for (auto& e : registry())
    if (e.type == type && e.form) return e.form;
  return nullptr;
}
void RegisterForm(std::type_index type, Form* form) { registry().push_back({type, form}); }
}  // namespace detail

Form::Form(QWidget* parent) : QWidget(parent, Qt::Window) {
  setAttribute(Qt::WA_DeleteOnClose, false);
}

Form::~Form() { forget(this); }

void Form::Load() {
  if (loaded_) return;
  loaded_ = true;
  Form_Load();
}

void Form::Show() {
  Load();
  keepFrameOnScreen(nullptr);
  if (WindowState() == vbMinimized) showMinimized();
  else show();
  raise();
}

void Form::ShowModal(QWidget* owner) {
  Load();
  if (modalLoop_) return;
  if (owner && !isVisible()) {
    QRect o = owner->frameGeometry();
    move(o.center() - QPoint(width() / 2, height() / 2));
  }
  keepFrameOnScreen(owner);
  setWindowModality(Qt::ApplicationModal);
  show();
  raise();
  activateWindow();
  QEventLoop loop;
  QPointer<Form> self(this);
  modalLoop_ = &loop;
  loop.exec();
  if (self) {
    modalLoop_ = nullptr;
    setWindowModality(Qt::NonModal);
  }
}

void Form::Hide() { hide(); }

void Form::keepFrameOnScreen(const QWidget* owner) {
  // Only a place the program chose; a shown window stays where the user left it.
  if (isVisible() || !testAttribute(Qt::WA_Moved) || windowState() != Qt::WindowNoState) return;
  const QRect frame(pos(), size().grownBy(guessedMargins(*this, owner)));
  QScreen* screen = QGuiApplication::screenAt(frame.center());
  if (!screen) screen = owner ? owner->screen() : this->screen();
  if (!screen) return;
  // A frame larger than the area keeps its title bar and left edge on it.
  const QRect area = screen->availableGeometry();
  const int x = std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width()));
  const int y = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()));
  move(x, y);
}

bool Form::Unload() {
  if (!loaded_ || unloading_) return true;
  int cancel = 0;
  unloading_ = true;
  Form_Unload(cancel);
  unloading_ = false;
  if (cancel) return false;
  loaded_ = false;
  forget(this);
  hide();
  if (modalLoop_) modalLoop_->quit();
  modalLoop_ = nullptr;
  Form_Terminate();
  deleteLater();
  return true;
}

int Form::WindowState() const {
  if (windowState() & Qt::WindowMinimized) return vbMinimized;
  if (windowState() & Qt::WindowMaximized) return vbMaximized;
  return vbNormal;
}

void Form::SetWindowState(int state) {
  Qt::WindowStates s = windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
  if (state == vbMinimized) s |= Qt::WindowMinimized;
  if (state == vbMaximized) s |= Qt::WindowMaximized;
  setWindowState(s);
}

// The window manager's frame is not ours to know before the window is shown,
// so sizes are the window's own, without it.
int Form::Width() const { return twips(width()); }
int Form::Height() const { return twips(height()); }
void Form::SetWidth(int tw) { resize(std::max(1, px(tw)), height()); }
void Form::SetHeight(int tw) { resize(width(), std::max(1, px(tw))); }

void Form::SetBackColor(long color) {
  QPalette p = palette();
  p.setColor(QPalette::Window, ColorFromNumber(color));
  setPalette(p);
  setAutoFillBackground(true);
}

void Form::SetBusy(bool busy) {
  if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
  else QApplication::restoreOverrideCursor();
}

void Form::closeEvent(QCloseEvent* event) {
  // The close box unloads the window, which its unload handler may refuse.
  event->ignore();
  if (unloading_) return;
  Unload();
}

void Form::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (loaded_) Form_Resize();
}

void Form::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  // A modal showing ends when the window hides, as it ends when it unloads.
  if (modalLoop_ && !event->spontaneous()) modalLoop_->quit();
}

void Form::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && loaded_) Form_Resize();
}
