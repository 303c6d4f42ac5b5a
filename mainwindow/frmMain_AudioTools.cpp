// The main window's audio tools: the waveform editor on the current row's
// file (converted to a temporary WAV first when it is not one), the recorder
// and the speech window.
#include <QFile>
#include <QLineEdit>

#include "core/mdlFunctions.h"
#include "lists/ItemRow.h"
#include "mainwindow/frmMain.h"
#include "platform/Services.h"
#include "platform/audio/cAudioEditor.h"
#include "tools/audio/g_frmAudioEditor.h"
#include "tools/audio/g_frmMicRecorder.h"
#include "tools/audio/g_frmParlo.h"
#include "tools/convert/g_frmAudioEditorProc.h"

QString frmMain::EditorTempFile() { return ProgramFolder() + "/tmpeditor.wav"; }

void frmMain::OpenAudioAnalyser() {
  SetBusy(true);
  g_frmAudioEditor& editor = form<g_frmAudioEditor>();
  g_bAbortedAudioEditor = false;
  const long row = cGrid1->SelectedRow();
  QString path = ItemRow::Text(*cGrid1, row, "COL_FILE");
  if (mdlFunctions::GetExtension(path).toUpper() != "WAV") {
    // What an earlier failed conversion left behind must never be shown.
    QFile::remove(EditorTempFile());
    g_frmAudioEditorProc& proc = form<g_frmAudioEditorProc>();
    proc.ConvertFile(path, EditorTempFile());
    SetBusy(false);
    proc.ShowModal(this);
    if (g_frmAudioEditorProc::LastOutcome() != g_frmAudioEditorProc::Done) g_bAbortedAudioEditor = true;
    path = EditorTempFile();
  }
  SetBusy(false);
  if (g_bAbortedAudioEditor) {
    editor.Unload();
    return;
  }
  editor.txtWavFile->setText(path);
  editor.cAudioEditor1->OpenWaveFile(path);
  editor.SetCaption(ItemRow::Text(*cGrid1, row, "Item Name"));
  editor.ShowModal(this);
}

bool frmMain::RunAudioToolCommand(const QString& key) {
  if (key == "Audio Analyser") {
    OpenAudioAnalyser();
  } else if (key == "Audio Recorder") {
    SetBusy(true);
    g_frmMicRecorder& recorder = form<g_frmMicRecorder>();
    SetBusy(false);
    recorder.ShowModal(this);
  } else if (key == "Text To Speech") {
    SetBusy(true);
    form<g_frmParlo>().ShowModal(this);
    SetBusy(false);
  } else {
    return false;
  }
  return true;
}
