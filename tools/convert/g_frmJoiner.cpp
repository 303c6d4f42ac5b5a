#include "tools/convert/g_frmJoiner.h"

#include <QDate>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTime>

#include "core/mdlFunctions.h"
#include "lists/ItemRow.h"
#include "platform/Services.h"
#include "platform/XP_ProgressBar.h"
#include "platform/audio/cAudioJoin.h"
#include "platform/cGrid.h"
#include "settings/FormControls.h"
#include "settings/OutputFormatStore.h"

using namespace FormControls;

namespace {
TaskWindowLook joinerLook() {
  TaskWindowLook look;
  look.caption = "Audio Joiner";
  look.icon = "colors";
  look.firstTab = "Joiner Options        ";
  look.firstTabImage = 64;
  look.startCaption = "Join";
  look.playSoundCaption = "Play sound";
  look.noticeAppCaption = "Notice application ";
  look.overwrite = false;
  look.targetFormat = true;
  look.parameters = true;
  return look;
}

// The same file, also when reached by another spelling of its path.
bool sameFile(const QString& a, const QString& b) {
  const QFileInfo fa(a), fb(b);
  if (fa.exists() && fb.exists()) return fa.canonicalFilePath() == fb.canonicalFilePath();
  return fa.absoluteFilePath() == fb.absoluteFilePath();
}
}  // namespace

g_frmJoiner::g_frmJoiner() : TaskWindow(joinerLook()) {
  setObjectName("g_frmJoiner");
  cAudioJoin1 = new cAudioJoin(this);
  Label21 = Label(TabSettings, "File Name Format:", 120, 1620, 1400, 240);
  txtJoinedFileName = new QLineEdit("Joined_File-[date]-[time].[dest_extension]", TabSettings);
  Place(txtJoinedFileName, 1560, 1560, 5000, 315);
  connect(cmdConvert, &QPushButton::clicked, this, &g_frmJoiner::cmdConvert_Click);
  connect(cmdAbort, &QPushButton::clicked, this, &g_frmJoiner::cmdAbort_Click);
  connect(cAudioJoin1, &cAudioJoin::Progress, this, &g_frmJoiner::cAudioJoin1_Progress);
  connect(cAudioJoin1, &cAudioJoin::Done, this, &g_frmJoiner::cAudioJoin1_Done);
  connect(cAudioJoin1, &cAudioJoin::Aborted, this, &g_frmJoiner::cAudioJoin1_Aborted);
  connect(cAudioJoin1, &cAudioJoin::Error, this, &g_frmJoiner::cAudioJoin1_Error);
}

void g_frmJoiner::CloseJobControl() { cAudioJoin1->CloseJoin(); }

void g_frmJoiner::HandOverFormat(long position) { OutputFormatStore::HandOver(*cAudioJoin1, position); }

void g_frmJoiner::ApplyTags(const TagSet& tags) { SetControlTags(*cAudioJoin1, tags); }

// ---------------------------------------------------------------- the run

void g_frmJoiner::cmdConvert_Click() {
  BeginRunLog("Preparing to join: " + QString::number(cGrid1->Rows()) + " tracks.");
  m_bRunError = false;
  BringLogToFront();
  SetDestination();
  CreateSubFolderWhenTicked();
  JoinFiles();
}

// "[source_extension]" stands for the first row's extension: the joined file
// starts with it.
QString g_frmJoiner::ExpandJoinedFileName(QString name) const {
  const QString first = ItemRow::Text(*cGrid1, 1, "COL_FILE");
  name.replace("[source_extension]", mdlFunctions::GetExtension(mdlFunctions::GetFileNameFromPath(first)).toLower());
  name.replace("[dest_extension]", DestExtension());
  name.replace("[time]", QTime::currentTime().toString("HH:mm:ss").replace(u':', u'-'));
  name.replace("[date]", QLocale().toString(QDate::currentDate(), QLocale::ShortFormat).replace(u'/', u'-'));
  return name;
}

QString g_frmJoiner::refusedOutput(const QString& name, const QString& path) const {
  bool control = false;
  for (QChar c : name) control = control || c.unicode() < 0x20 || c.unicode() == 0x7F;
  if (name.isEmpty() || name == "." || name.contains("..") || name.contains(u'/') || control)
    return "Error: The file name \"" + name + "\" cannot be used: it must name one file in the destination folder.";
  for (long i = 1; i <= cAudioJoin1->FileCount(); ++i)
    if (sameFile(path, cAudioJoin1->GetFileItem(i)))
      return "Error: The file " + path + " is one of the files to join.";
  return {};
}

void g_frmJoiner::fillQueue() {
  for (long n = cAudioJoin1->FileCount(); n >= 1; --n) cAudioJoin1->RemoveFile(1);
  for (long row = 1; row <= cGrid1->Rows(); ++row) {
    const bool whole = RowIsWhole(*cGrid1, row);
    const double start = whole ? -1 : RowRangeStart(*cGrid1, row);
    const double length = whole ? -1 : RowRangeLength(*cGrid1, row);
    cAudioJoin1->AddFile(ItemRow::Text(*cGrid1, row, "COL_FILE"), start, length);
  }
}

long g_frmJoiner::JoinFiles() {
  const QString name = ExpandJoinedFileName(txtJoinedFileName->text());
  // The joined file carries the first row's tags, its track number included.
  cGrid1->SetSelectedRow(1);
  SetID3Tags(1);
  fillQueue();
  const QString output = OutputFolder() + name;
  if (const QString refused = refusedOutput(name, output); !refused.isEmpty()) {
    m_bRunError = true;
    Log(refused);
    lblCurrentTrack->setText(refused);
    return 2;
  }
  if (const long answer = AskOverwrite(output); answer != 0) return answer;
  cAudioJoin1->SetOutputFile(output);
  prgTotal->SetMax(cGrid1->Rows() * 100);
  SetButtonsEnabled(false);
  lblCurrentTrack->setText("Processing...");
  cAudioJoin1->StartJoin();
  return 0;
}

void g_frmJoiner::cmdAbort_Click() {
  if (!ConfirmAbort()) return;
  cAudioJoin1->AbortJoin();
  cAudioJoin1->ResetJoin();
  ShowTrayBalloon("Aborted.");
}

// ---------------------------------------------------------------- job events

void g_frmJoiner::cAudioJoin1_Progress(long fileNumber, long percent) {
  if (percent <= 0) return;
  ShowRowProgress(fileNumber, percent);
  lblFilesToConvert->setText("Files: " + QString::number(fileNumber) + "/" + QString::number(cGrid1->Rows()));
  SetCaption(AppTitle());
  if (fileNumber == m_lLastFileNumber) return;
  m_lLastFileNumber = fileNumber;
  Log("Add " + mdlFunctions::GetFileNameFromPath(cAudioJoin1->GetFileItem(fileNumber)) + "...");
}

void g_frmJoiner::cAudioJoin1_Done() {
  ShowTrayBalloon("Done.");
  lblCurrentTrack->setText("Done.");
  SetButtonsEnabled(true);
  DoEndEvents();
  Log("Done.");
  prgCurrnet->SetValue(100);
  prgTotal->SetValue(cGrid1->Rows() * 100);
}

void g_frmJoiner::cAudioJoin1_Aborted() {
  SetButtonsEnabled(true);
  Log("Aborted.");
  lblCurrentTrack->setText("Aborted.");
}

void g_frmJoiner::cAudioJoin1_Error(long code, const QString& text) {
  LogItemError(code, text);
  SetButtonsEnabled(true);
}
