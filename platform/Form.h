// The base of every window: the life cycle the windows rely on (load without
// showing, show, modal show, hide, unload that can be cancelled, terminate),
// geometry in twips, Windows colour numbers, and the registry of loaded windows.
#pragma once
#include <QWidget>
#include <QString>
#include <functional>
#include <typeindex>
#include <vector>

class QEventLoop;

// 15 twips make a pixel.
constexpr int TwipsPerPixel = 15;
inline int px(int twips) { return twips / TwipsPerPixel; }
inline int twips(int pixels) { return pixels * TwipsPerPixel; }

// Windows colour numbers: red + 256 * green + 65536 * blue.
QColor ColorFromNumber(long number);
long NumberFromColor(const QColor& color);

enum FormWindowState { vbNormal = 0, vbMinimized = 1, vbMaximized = 2 };

class Form : public QWidget {
  Q_OBJECT
 public:
  explicit Form(QWidget* parent = nullptr);
  ~Form() override;

  // Runs Form_Load once; the window is not shown.
  void Load();
  bool IsLoaded() const { return loaded_; }
  void Show();
  // Shows the window modally: returns when it is hidden or unloaded; timers and
  // control events go on being served meanwhile.
  void ShowModal(QWidget* owner = nullptr);
  bool IsModalShown() const { return modalLoop_ != nullptr; }
  void Hide();
  // Asks Form_Unload; when it does not cancel, hides the window, forgets it and
  // destroys it later (Form_Terminate then runs). False when cancelled.
  bool Unload();

  QString Caption() const { return windowTitle(); }
  void SetCaption(const QString& text) { setWindowTitle(text); }
  int WindowState() const;
  void SetWindowState(int state);
  // Size in twips.
  int Width() const;
  int Height() const;
  void SetWidth(int tw);
  void SetHeight(int tw);
  void SetBackColor(long color);
  // The hourglass while a window is prepared or a list is read.
  void SetBusy(bool busy);

 protected:
  virtual void Form_Load() {}
  virtual void Form_Unload(int& Cancel) {}
  virtual void Form_Terminate() {}
  virtual void Form_Resize() {}
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  bool loaded_ = false;
  bool unloading_ = false;
  QEventLoop* modalLoop_ = nullptr;
  // Moves a window about to show so its whole frame is on its screen's available area.
  void keepFrameOnScreen(const QWidget* owner);
};

// The loaded windows, in the order they were loaded.
std::vector<Form*> LoadedForms();

namespace detail {
Form* FindForm(std::type_index type);
void RegisterForm(std::type_index type, Form* form);
}  // namespace detail

// The one instance of a window, created and loaded on first use.
template <class F>
F& form() {
  if (Form* f = detail::FindForm(typeid(F))) return static_cast<F&>(*f);
  auto* f = new F();
  detail::RegisterForm(typeid(F), f);
  f->Load();
  return *f;
}
// The instance when it is loaded, else nullptr.
template <class F>
F* loadedForm() {
  return static_cast<F*>(detail::FindForm(typeid(F)));
}
// Unloads the window when it is loaded; false when its unload was cancelled.
template <class F>
bool unloadForm() {
  F* f = loadedForm<F>();
  return f ? f->Unload() : true;
}
