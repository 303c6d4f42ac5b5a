// The two writes of the data-disc window: the staged files handed to the
// chosen engine, and the engine's events. Every write ends with exactly one
// of its done or failed ends; only the done end runs the end-of-job actions.
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>

#include "core/mdlFunctions.h"
#include "core/mdlModes.h"
#include "platform/Services.h"
#include "platform/XP_ProgressBar.h"
#include "platform/burn/cAudioDataBurner.h"
#include "platform/burn/cBurner.h"
#include "settings/FormControls.h"
#include "tools/disc/g_frmDataBurner3.h"

using namespace FormControls;

QStringList g_frmDataBurner3::readableStagedFiles() {
  QStringList files;
  QSet<QString> seen;
  for (const QString& path : m_stagedFiles) {
    // Rows that share a name share one staged file; rows never staged were reported then.
    if (path.isEmpty() || seen.contains(path)) continue;
    seen.insert(path);
    const QFileInfo file(path);
    if (file.isFile() && file.isReadable()) files << path;
    else reportNotAdded(path);
  }
  return files;
}

void g_frmDataBurner3::reportNotAdded(const QString& path) {
  MsgBox("Couldn't add the file " + path, vbOKOnly | vbExclamation, "Error");
  Log("Couldn't add the file " + mdlFunctions::GetFileNameFromPath(path));
}

void g_frmDataBurner3::beginWrite() {
  EnableBurnControls(false);
  cmdAbort->setEnabled(false);
  m_bWriting = true;
  m_bWriteFailed = false;
}

bool g_frmDataBurner3::failWhenNothingToBurn(const QStringList& files) {
  if (!files.isEmpty()) return false;
  endWriteFailed("Nothing to burn: no staged file could be added.");
  return true;
}

void g_frmDataBurner3::endWriteFailed(const QString& text) {
  Log(text);
  lblCurrentTrack->setText(text);
  m_bWriting = false;
  m_bWriteFailed = true;
  EnableBurnControls(true);
  cmdAbort->setEnabled(true);
}

void g_frmDataBurner3::endWriteDone() {
  m_bWriting = false;
  DoEndEvents();
  EnableBurnControls(true);
  cmdAbort->setEnabled(true);
  ShowTrayBalloon("Done.");
  Log("Done.");
  lblCurrentTrack->setText("Done.");
}

// A step of the running write in the log and the status line (the status
// line may show it shorter); events after the write has ended show nothing.
void g_frmDataBurner3::showWriteStep(const QString& logLine, const QString& status) {
  if (!m_bWriting) return;
  Log(logLine);
  lblCurrentTrack->setText(status.isEmpty() ? logLine : status);
}

void g_frmDataBurner3::EnableBurnControls(bool enable) {
  for (QWidget* w : std::initializer_list<QWidget*>{cmdConvert, cmdExit, lblOpenCDDoor, lblCloseCDDoor})
    w->setEnabled(enable);
}

static void resetBars(XP_ProgressBar* current, XP_ProgressBar* total) {
  for (XP_ProgressBar* bar : {current, total}) {
    bar->SetMin(0);
    bar->SetMax(100);
    bar->SetValue(0);
  }
}

// ---------------------------------------------------------------- first engine

void g_frmDataBurner3::BurnDataDiscV1() {
  beginWrite();
  Log("Add files to burn.");
  QStringList added;
  for (const QString& path : readableStagedFiles()) {
    if (cAudioDataBurner1->AddFile(path)) added << path;
    else reportNotAdded(path);
  }
  if (failWhenNothingToBurn(added)) return;
  resetBars(prgCurrnet, prgTotal);
  cAudioDataBurner1->SetVolumeLabel(txtCDName->text());
  cAudioDataBurner1->SetFileSystemName("CDFS");
  cAudioDataBurner1->SetApplicationName(g_sAppName);
  cAudioDataBurner1->SetPublisherName(g_sAppName);
  cAudioDataBurner1->SetWriteOption(false);
  const long speed = cboSpeed->currentIndex() < 0 ? 65535 : cboSpeed->currentData().toLongLong();
  cAudioDataBurner1->Burn(driveLetter(), speed);
}

void g_frmDataBurner3::cAudioDataBurner1_Progress(int percent) {
  if (!m_bWriting) return;
  prgTotal->SetValue(percent);
  prgCurrnet->SetValue(percent);
  lblCurrentTrack->setText(QString::number(percent) + "%");
}

void g_frmDataBurner3::cAudioDataBurner1_BurnStarted() { showWriteStep("Start the burning process..."); }

void g_frmDataBurner3::cAudioDataBurner1_ClosingSession() { showWriteStep("Closing session..."); }

void g_frmDataBurner3::cAudioDataBurner1_Finished() {
  if (!m_bWriting) return;
  showWriteStep("Finished");
  endWriteDone();
}

void g_frmDataBurner3::cAudioDataBurner1_Error(long, const QString& text) {
  if (m_bWriting) endWriteFailed(text);
}

// ---------------------------------------------------------------- second engine

void g_frmDataBurner3::BurnDataDiscV2() {
  if (!IsIMAPI2Installed()) return;
  beginWrite();
  cBurner1->NewCompilation();
  cBurner1->SetUseISO9660(CheckValue(chkISO) == 1);
  cBurner1->SetUseJoliet(CheckValue(chkJOLIET) == 1);
  cBurner1->SetUseUDF(CheckValue(chkUDF) == 1);
  // Without ISO 9660 no disc can be made here: the log says what it gets instead.
  if (CheckValue(chkISO) != 1)
    Log("ISO 9660 is always written: the disc gets " +
        cBurner::DiscFileSystems(false, CheckValue(chkJOLIET) == 1, CheckValue(chkUDF) == 1) + ".");
  cBurner1->SetVolumeLabel(txtCDName->text());
  const QStringList files = readableStagedFiles();
  if (failWhenNothingToBurn(files)) return;
  for (const QString& path : files) cBurner1->AddFile(path);
  resetBars(prgCurrnet, prgTotal);
  cBurner1->Burn(cboDrv->currentIndex());
}

void g_frmDataBurner3::cBurner1_Initializing() { showWriteStep("BurnerInitializing..."); }

void g_frmDataBurner3::cBurner1_ItemsCounted(long files, long folders) {
  if (m_bWriting) Log(QString::number(files) + " files to burn.\n" + QString::number(folders) + " dirs to burn.");
}

void g_frmDataBurner3::cBurner1_AddingFile(const QString& path) {
  showWriteStep("Adding:" + mdlFunctions::GetFileNameFromPath(path));
}

void g_frmDataBurner3::cBurner1_StartBurning() {
  if (!m_bWriting) return;
  EnableBurnControls(false);
  cmdAbort->setEnabled(false);
  showWriteStep("StartBurning...");
}

void g_frmDataBurner3::cBurner1_Progress(long percent) { cAudioDataBurner1_Progress(int(percent)); }

void g_frmDataBurner3::cBurner1_Finalization() {
  showWriteStep("BurnerFinalization - Please wait...", "BurnerFinalization");
}

void g_frmDataBurner3::cBurner1_DoneBurn() { showWriteStep("BurnerDoneBurn."); }

void g_frmDataBurner3::cBurner1_Completed() { showWriteStep("BurnerCompleted."); }

// The window stays busy until the write's End or Error; neither then runs the
// end-of-job actions.
void g_frmDataBurner3::cBurner1_Canceled() {
  if (!m_bWriting) return;
  m_bWriteFailed = true;
  showWriteStep("BurnerCanceled...");
}

void g_frmDataBurner3::cBurner1_Error(const QString& message, const QString& detail) {
  if (m_bWriting) endWriteFailed(detail + " (" + message + ")");
}

// An End after Canceled closes the write without the end-of-job actions; an
// End after Error comes when the write has already ended and changes nothing.
void g_frmDataBurner3::cBurner1_End() {
  showWriteStep("BurnerEnd.");
  if (!m_bWriting) return;
  if (!m_bWriteFailed) return endWriteDone();
  m_bWriting = false;
  EnableBurnControls(true);
  cmdAbort->setEnabled(true);
}
