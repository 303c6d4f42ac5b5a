// The waveform editor control: shows a PCM WAV file as a wave view with a
// selection made with the mouse, zooms to the selection and back, plays the
// selection (or the whole file), and saves a millisecond range of a file as a
// new WAV file. Loading and saving return at once; their events follow on the
// UI thread. Colours are Windows colour numbers.
#pragma once
#include <QString>
#include <QWidget>
#include <memory>

class cAudioEditor : public QWidget {
  Q_OBJECT
 public:
  explicit cAudioEditor(QWidget* parent = nullptr);
  ~cAudioEditor() override;

  long ViewForeColor() const { return foreColor_; }
  void SetViewForeColor(long color);
  long ViewBackColor() const { return backColor_; }
  void SetViewBackColor(long color);
  long ViewBackColor2() const { return backColor2_; }
  void SetViewBackColor2(long color);

  // Loads an 8- or 16-bit PCM WAV file: FileInfo, Progress while the view is
  // prepared, then LoadDone; or Error.
  void OpenWaveFile(const QString& path);
  // 0 when playback of the selection (the whole file without one) started;
  // PlayDone follows at its end. 1: nothing loaded, 2: no output device.
  long Play();
  // Why the last Play did not start, for the user.
  QString LastError() const { return lastError_; }
  bool IsPaused() const;
  void PausePlay();
  void ResumePlay();
  void StopPlay();

  void ZoomToSelection();
  void RestoreZoom();
  // The selection in frames from the start of the file; raises SelectionChanged.
  void SetSelection(qint64 startFrame, qint64 endFrame);

  // The next save: the source, the target and the range in milliseconds.
  void SetSaveSource(const QString& path) { saveSource_ = path; }
  QString OutputFile() const { return outputFile_; }
  void SetOutputFile(const QString& path) { outputFile_ = path; }
  long SelectionStart() const { return selectionStartMs_; }
  void SetSelectionStart(long ms) { selectionStartMs_ = ms; }
  long SelectionLength() const { return selectionLengthMs_; }
  void SetSelectionLength(long ms) { selectionLengthMs_ = ms; }
  // Writes the range as a new WAV file under a temporary name beside the
  // target, renamed over it when complete: SaveDone, or Error and the target
  // untouched.
  void SaveSelection();
  // Stops playback and a save under way (the save ends with Error).
  void AbortEditor();
  void CloseEditor();

 signals:
  void FileInfo(long samplesPerSec, long bits, long channels, long seconds, long samples);
  void SelectionChanged(long startSample, long endSample, long startMs, long endMs);
  void Progress(long percent);
  void SaveDone();
  void LoadDone();
  void Error(long code, const QString& text);
  void PlayDone();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  struct Loaded;
  struct Loader;
  struct Save;
  struct Playback;
  qint64 FrameAt(int x) const;
  void SaveStep();
  void EndSave(const QString& error);
  long foreColor_ = 0x00FF00;
  long backColor_ = 0;
  long backColor2_ = 0x404040;
  std::unique_ptr<Loaded> loaded_;
  std::unique_ptr<Loader> loader_;
  std::unique_ptr<Save> save_;
  std::unique_ptr<Playback> playback_;
  int generation_ = 0;
  QString lastError_;
  qint64 viewStart_ = 0, viewEnd_ = 0;  // frames shown
  qint64 selStart_ = 0, selEnd_ = 0;    // frames selected
  qint64 anchor_ = -1;                  // where the mouse selection began
  QString saveSource_, outputFile_;
  long selectionStartMs_ = 0, selectionLengthMs_ = 0;
};
