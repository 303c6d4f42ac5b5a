// The frame every task window is built on: the modal window a tool command of
// the main window opens over the marked items. It carries the title strip, the
// item grid, the "Settings", "Events" and "Log" tabs with the close guard, the
// progress bars and buttons, the status bar, and the blocks a tool asks for:
// destination folder with its history and sub-folder, overwrite box, output
// file-name templates, target format with its hand-over, the "Parameters"
// link and the time-left label. It also holds what the runs share: the log,
// tag templates, output names, the overwrite question, the ends of a run and
// the end-of-job actions.
//
// A derived window supplies:
//  - a TaskWindowLook (caption, icon, first tab, start caption, the event
//    boxes' captions, which blocks it has) given to the constructor;
//  - its own controls on TabSettings, built in its constructor;
//  - LoadOwnControls(): its own steps of the window's load (after the status
//    panels, before the sub-folder box is enabled);
//  - CloseJobControl(): releases its job control when the window closes;
//  - HandOverFormat(position): the store's settings of a format (0 WAV .. 5
//    APE) to its job control (windows with the target-format box);
//  - ApplyTags(tags): the seven expanded tags to its job control (windows that
//    write tags); ExtraTagValues(): placeholders only it knows;
//  - DestExtension(): only when "[dest_extension]" is not the format box's;
//  - SetUpRowJob(row, output): a row's job on its control, the one set-up its
//    turn and work ahead share (windows that work ahead);
//  - its run, wired to cmdConvert and cmdAbort, using the run helpers below.
#pragma once
#include <QSet>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "platform/Form.h"

class ClickLabel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class Timer;
class XP_ProgressBar;
class cAudioConverter;
class cAudioJobControl;
class cGrid;
class cStatusBar;
class cTabControl;

struct TaskWindowLook {
  QString caption;       // window caption and title
  QString icon;          // program icon name
  QString firstTab;      // caption of the "Settings" tab
  long firstTabImage = 7;
  QString startCaption;  // "Convert", "Split", "Join", ...
  QString playSoundCaption = "Play a sound";
  QString noticeAppCaption = "Execute external program";
  bool destination = true;
  bool overwrite = true;
  bool fileNames = false;
  bool targetFormat = false;
  bool parameters = false;
  bool timeLeft = false;
};

// The seven tag texts in hand-over order: album, artist, comment, genre,
// title, track, year.
struct TagSet {
  QString album, artist, comment, genre, title, track, year;
};

// Hands the tags to a job control with the seven tag properties.
template <class Control>
void SetControlTags(Control& control, const TagSet& tags) {
  control.SetTagAlbum(tags.album);
  control.SetTagArtist(tags.artist);
  control.SetTagComment(tags.comment);
  control.SetTagGenre(tags.genre);
  control.SetTagTitle(tags.title);
  control.SetTagTrack(tags.track);
  control.SetTagYear(tags.year);
}

// Hands a row's range to a job control, -1 for both when the row is taken
// whole. The range cells are read as the main list reads them: the number
// each begins with, in seconds, fractions kept ("1.5" from other tools' list
// files).
bool RowIsWhole(const cGrid& grid, long row);
double RowRangeStart(const cGrid& grid, long row);
double RowRangeLength(const cGrid& grid, long row);
template <class Control>
void SetRowRange(Control& control, const cGrid& grid, long row);

class TaskWindow : public Form {
  Q_OBJECT
 public:
  explicit TaskWindow(const TaskWindowLook& look);

  // Check-box value of an option flag.
  static int BoolToCheckValue(bool flag) { return flag ? 1 : 0; }

  // Tabs and closing.
  void HideTabPages();
  void cTabControl1_TabClick(long lTab);
  void cmdExit_Click();

  // Target format: hands the chosen format to the job control and logs it.
  virtual void SetDestination();
  void cboTargetFormat_Click();
  void lblSetAsDefaultFormat_Click();
  void cmdEditTargetFormat_Click();

  // Output file names.
  void LoadFileNameFormats();
  // The expanded template for a row: one safe name (no "/", no control
  // character, never "." or ".."), or "" when nothing usable is left.
  QString GetTargetFileName(long row);
  void cboFileName_Click();
  void lblSetAsDefaultFileName_Click();

  // Tags.
  void SetID3Tags(long row);
  QString CreateID3TagsString(QString text);
  // A tag template with its placeholders expanded: the date, the time of day
  // (the system's long form without its time zone), the track number, the
  // program's name and version, the extra pairs, the year.
  static QString ExpandTagText(const QString& text, long trackNumber,
                               std::vector<std::pair<QString, QString>> extra = {});

  // Destination folder.
  void cmdSelectPath_Click();
  void txtToPath_Click();
  void lblSetAsDefaultDestination_Click();
  void lblOpenDestinationDestinationFolder_Click();
  void chkCreateSubFolder_Click();
  void CheckUnderFolderEna();
  // The sub-folder name and "/" when the box is ticked and the name is not
  // empty; "" otherwise.
  QString GetSubFolder() const;
  // The destination text followed by the sub-folder part; a window without
  // the destination block names the folder its files go to.
  virtual QString OutputFolder() const;

  // End of a job.
  void DoEndEvents();
  void lblEventsSettings_Click();
  void lblParameters_Click();

  // The end-of-job balloon on the main window's tray icon, shown the given
  // number of seconds.
  static void ShowTrayBalloon(const QString& text, int seconds = 30);
  // The program's name and version: the balloon title, and the caption some
  // runs show while they work.
  static QString AppTitle();

  // True once an item of the current run failed; keeps the computer on.
  bool m_bRunError = false;
  // True once an item of the current run was done.
  bool m_bItemDone = false;

  QWidget* picTitle;
  QLabel* lblTitle;
  cGrid* cGrid1;
  cTabControl* cTabControl1;
  QWidget* TabSettings;
  QWidget* TabEvents;
  QWidget* TabLog;
  QPlainTextEdit* txtLog;
  XP_ProgressBar* prgCurrnet;
  XP_ProgressBar* prgTotal;
  QLabel* lblFilesToConvert;
  QLabel* lblCurrentTrack;
  QPushButton* cmdConvert;
  QPushButton* cmdAbort;
  QPushButton* cmdExit;
  cStatusBar* cStatusBar1;
  // Events page.
  QLabel* Label20;
  QCheckBox* chkPlaySound;
  QCheckBox* chkOpenDestFolder;
  QCheckBox* chkNoticeApp;
  QCheckBox* chkTurnOffComputer;
  ClickLabel* lblEventsSettings;
  // Blocks of the settings page; nullptr in windows without them.
  QLabel* Label4 = nullptr;
  QComboBox* txtToPath = nullptr;
  QPushButton* cmdSelectPath = nullptr;
  ClickLabel* lblSetAsDefaultDestination = nullptr;
  ClickLabel* lblOpenDestinationDestinationFolder = nullptr;
  QCheckBox* chkCreateSubFolder = nullptr;
  QLineEdit* txtUndeForlder = nullptr;
  QCheckBox* chkOverWrite = nullptr;
  QLabel* Label21 = nullptr;
  QComboBox* cboFileName = nullptr;
  ClickLabel* lblSetAsDefaultFileName = nullptr;
  QLabel* Label5 = nullptr;
  QComboBox* cboTargetFormat = nullptr;
  QPushButton* cmdEditTargetFormat = nullptr;
  ClickLabel* lblSetAsDefaultFormat = nullptr;
  ClickLabel* lblParameters = nullptr;
  QLabel* lblTimeLeft = nullptr;
  Timer* Timer1 = nullptr;

 protected:
  void Form_Load() override;
  void Form_Unload(int& Cancel) override;

  virtual void LoadOwnControls() {}
  virtual void CloseJobControl() = 0;
  virtual void HandOverFormat(long position) { Q_UNUSED(position); }
  virtual void ApplyTags(const TagSet& tags) { Q_UNUSED(tags); }
  // Placeholders between "[PROG_VERSION]" and "[YEAR]" for the row being worked on.
  virtual std::vector<std::pair<QString, QString>> ExtraTagValues() { return {}; }
  virtual QString DestExtension() const;
  // The once-a-second "Time Left: " estimate: the seconds so far scaled by the
  // share of the total still to do, once the current item has made progress;
  // the timer stops once the run has ended.
  void UpdateTimeLeft(long ticks, long itemSecsDone, long secsDone, long secsTotal);
  // Starts the external program of the options (end-of-job action).
  void RunNoticeApp();
  // A window's own end-of-job step on its drive, run after the external
  // program and before the turn-off.
  virtual void EndOfJobDiscAction() {}
  // What "Open the destination folder" opens when a job is done; nothing when empty.
  virtual QString FolderToOpenWhenDone() const { return OutputFolder(); }

  // The current bar at the percent and the total bar at that share of the
  // row (items counted from 1, a hundred each).
  void ShowRowProgress(long row, long percent);
  // The whole seconds done of an item of that length at the percent.
  static long SecondsDone(long percent, long itemSecs);
  // "Files: row/rows", the source's name as the status and "<verb>name..."
  // in the log, as an item starts.
  void AnnounceItem(long row, const QString& logVerb);
  // The line "Error: text(code)" logged; the run error flag set.
  QString LogItemError(long code, const QString& text);
  // An error line as the status and the caption.
  void ShowErrorLine(const QString& line);
  // A row's length in seconds: the whole item's, or its range's.
  long ItemSeconds(long row) const;
  // "Converting... [ current% / total% ]" from the two bars.
  QString ConvertingCaption() const;
  // "[SOURCE_NAME]", "[ITEM_NAME]" and "[RANGE]" of a row.
  std::vector<std::pair<QString, QString>> ItemTagValues(long row);

  // --- run helpers ---
  // Later rows work ahead on the control's workers. Each is set up by the
  // set-up its turn uses (SetUpRowJob) with the output its turn will name
  // (RowOutput), so that its turn takes the job over. A row waits for its
  // turn when its target exists (its question comes first), when another row
  // writes the same file or reads it as its source (by the file a path leads
  // to, links and other spellings followed), or when its name or tags hold
  // the clock.
  void WorkRowsAhead(cAudioJobControl& control);
  // The run's work ahead ends: the jobs no turn took stop.
  void EndWorkAhead();
  // A row's job on its control, at its turn and ahead alike: the row
  // selected (its tags' "[TRACK_NUM]"), its tags, source, range and output.
  virtual void SetUpRowJob(long row, const QString& output) { Q_UNUSED(row); Q_UNUSED(output); }
  // The set-up of a converting row (converter, ACM converter, data-disc staging).
  void SetUpConversion(cAudioConverter& converter, long row, const QString& output);
  // The output a row's turn writes for a path: the path made unique in the
  // run, unless the window keeps names as they are.
  virtual QString RowOutput(const QString& path) { return UniqueInRun(path); }
  // Whether a row is worked in the run: every row unless a window marks them.
  virtual bool RowInRun(long row) const { Q_UNUSED(row); return true; }
  // True when the row's name or tags hold the time of day, known only when its turn comes.
  bool RowFollowsTheClock(long row) const;
  void Log(const QString& message);
  // A run's first steps: a blank line in a log that has text, the
  // destination saved into the history and the box reloaded, the preparing line.
  void BeginRunLog(const QString& preparingLine);
  // Creates the output folder when the sub-folder box is ticked.
  void CreateSubFolderWhenTicked();
  void BringLogToFront();
  // Enables or disables the start and Exit buttons together.
  void SetButtonsEnabled(bool enabled);
  bool Running() const;
  // The Abort button's question, asked only while a run goes on; true when
  // the user answered Yes and the run still goes on.
  bool ConfirmAbort();
  // The output path of a name, or "" (logged as an error of the item and
  // m_bRunError set) when the name is empty.
  QString OutputPathOrError(const QString& name);
  // The path itself, or, when an earlier item of this run took it, the path
  // with " (2)", " (3)", ... before its extension: two items of one run never
  // share an output. Names are compared without case, as a FAT-formatted
  // stick would. A run starts with ForgetRunOutputs.
  QString UniqueInRun(const QString& path);
  void ForgetRunOutputs() { m_runOutputs.clear(); }
  // 0 go on, 1 skip the item (No), 2 cancel the run (Cancel). Any existing
  // file counts, hidden ones too; no question when the overwrite box is ticked.
  long AskOverwrite(const QString& path);
  // "Aborted." in the label, the caption and a balloon; no end-of-job action.
  void EndRunCancelled();
  // "Aborted." logged and shown after the job control's Aborted event.
  void EndRunAborted();
  // A run whose items failed, none done, ends as failed, never "Done.": the
  // text in the log, the label and a balloon, the caption given; no end-of-job action.
  void EndRunFailed(const QString& text, const QString& caption);
  // True when the run's items failed and none was done.
  bool RunFailed() const { return m_bRunError && !m_bItemDone; }

  TaskWindowLook look_;
  QSet<QString> m_runOutputs;

 private:
  cAudioJobControl* aheadControl_ = nullptr;
  void buildFrame();
  void buildEventsPage();
  void buildSettingsBlocks();
  void connectFrame();
  void placePages();
  void setEventBoxesFromOptions();
  void reloadHistory();
};

template <class Control>
void SetRowRange(Control& control, const cGrid& grid, long row) {
  const bool whole = RowIsWhole(grid, row);
  control.SetRangeStart(whole ? -1 : RowRangeStart(grid, row));
  control.SetRangeLength(whole ? -1 : RowRangeLength(grid, row));
}
