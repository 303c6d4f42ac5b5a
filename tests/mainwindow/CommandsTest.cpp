#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include "MainWindowFixture.h"
#include "core/mdlMain.h"
#include "mainwindow/frmAbout.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/g_frmNotes.h"
#include "taskframe/TaskWindow.h"
#include "platform/cGrid.h"

namespace {
class CommandsTest : public MainWindowTest {
 protected:
  frmMain& start() {
    EXPECT_TRUE(mdlMain::StartUp());
    frmMain* main = loadedForm<frmMain>();
    ScriptedUi::get().shellCalls.clear();
    return *main;
  }
  static std::vector<std::pair<QString, QStringList>> started() {
    std::vector<std::pair<QString, QStringList>> out;
    for (const ShellCall& c : ScriptedUi::get().shellCalls)
      if (c.kind == ShellCall::Run) out.emplace_back(c.target, c.args);
    return out;
  }
  static QStringList opened() {
    QStringList out;
    for (const ShellCall& c : ScriptedUi::get().shellCalls)
      if (c.kind == ShellCall::Open) out << c.target;
    return out;
  }
  static bool onTop(const frmMain& w) { return w.windowFlags() & Qt::WindowStaysOnTopHint; }
  static bool onTopMark(frmMain& w) { return w.m_cMenu()->ItemChecked(w.m_cMenu()->IndexForKey("On Top")); }
};
}  // namespace

TEST_F(CommandsTest, MasterVolumeStartsTheFirstVolumeControlThatRuns) {
  frmMain& w = start();
  w.RunCommand("Master Volume");
  using Run = std::vector<std::pair<QString, QStringList>>;
  EXPECT_EQ(started(), Run({{"pavucontrol", {}}}));
  EXPECT_TRUE(ScriptedUi::get().shown.empty());

  ScriptedUi::get().shellCalls.clear();
  ScriptedUi::get().shellSucceeds = false;
  w.RunCommand("Master Volume");
  EXPECT_EQ(started(), Run({{"pavucontrol", {}},
                            {"gnome-control-center", {"sound"}},
                            {"systemsettings", {"kcm_pulseaudio"}}}));
  ASSERT_EQ(ScriptedUi::get().shown.size(), 1u);
  EXPECT_TRUE(ScriptedUi::get().shown[0].prompt.startsWith("No volume control could be started."));
}

TEST_F(CommandsTest, HelpAndSupportOpenTheirPages) {
  frmMain& w = start();
  w.RunCommand("HelpTopic");
  w.RunCommand("Support");
  EXPECT_EQ(opened(), QStringList({"https://tessory.example.org/help.html",
                                   "https://tessory.example.org/support.html"}));
  // Help installed beside the program is preferred to the web page.
  const QString local = ProgramFolder() + "/Help.html";
  QFile(local).open(QIODevice::WriteOnly);
  ScriptedUi::get().shellCalls.clear();
  w.RunCommand("HelpTopic");
  EXPECT_EQ(opened(), QStringList({local}));
  EXPECT_TRUE(started().empty());
  EXPECT_TRUE(ScriptedUi::get().shown.empty());
  // Without a browser the user is told where the help is.
  ScriptedUi::get().shellSucceeds = false;
  w.RunCommand("HelpTopic");
  ASSERT_EQ(ScriptedUi::get().shown.size(), 1u);
  EXPECT_EQ(ScriptedUi::get().shown[0].prompt,
            "No web browser could be started to show the help. Open " + local + " in your browser.");
}

TEST_F(CommandsTest, OpeningSomethingDropsTopMostButKeepsTheMark) {
  frmMain& w = start();
  w.RunCommand("On Top");
  ASSERT_TRUE(onTop(w));
  ASSERT_TRUE(onTopMark(w));
  w.RunCommand("Master Volume");
  EXPECT_FALSE(onTop(w));
  EXPECT_TRUE(onTopMark(w));
  w.RunCommand("On Top");  // the mark decides: cleared
  EXPECT_FALSE(onTopMark(w));
  EXPECT_FALSE(onTop(w));
  w.RunCommand("On Top");
  EXPECT_TRUE(onTopMark(w));
  EXPECT_TRUE(onTop(w));
}

TEST_F(CommandsTest, CommandsRefreshTheInformationPaneButTheTrayDoesNot) {
  frmMain& w = start();
  const long name = w.cGrid1->ColumnIndex("Item Name");
  w.cGrid1->SetCell(w.cGrid1->Rows() + 1, name, "first.wav");
  w.cGrid1->SetSelectedRow(1);
  for (const char* key : {"Support", "Minimize"}) {
    w.cGridInfo->Clear();
    w.RunCommand(key);
    EXPECT_EQ(w.cGridInfo->Rows(), 9) << key;
  }
  w.SetWindowState(vbNormal);
  w.cGridInfo->Clear();
  w.RunCommand("GoSysTray");
  EXPECT_EQ(w.cGridInfo->Rows(), 0);
  EXPECT_TRUE(w.InTray());
}

TEST_F(CommandsTest, NotesOpensTheNotesWindowModeless) {
  frmMain& w = start();
  w.RunCommand("Notes");
  g_frmNotes* notes = loadedForm<g_frmNotes>();
  ASSERT_NE(notes, nullptr);
  EXPECT_TRUE(notes->isVisible());
  EXPECT_FALSE(notes->IsModalShown());
}

TEST_F(CommandsTest, AboutIsShownModallyAndClosedByOk) {
  frmMain& w = start();
  bool wasModal = false;
  QTimer::singleShot(0, [&] {
    frmAbout* about = loadedForm<frmAbout>();
    ASSERT_NE(about, nullptr);
    wasModal = about->IsModalShown();
    about->cmdOk->click();
  });
  w.RunCommand("About");
  EXPECT_TRUE(wasModal);
  EXPECT_EQ(loadedForm<frmAbout>(), nullptr);
}

TEST_F(CommandsTest, StatusPanelsRunTheirCommands) {
  frmMain& w = start();
  cStatusBar& bar = *w.cStatusBar1;
  emit bar.PanelClick(bar.PanelIndex("Master Volume"));
  ASSERT_EQ(started().size(), 1u);
  EXPECT_EQ(started()[0].first, "pavucontrol");

  emit bar.PanelClick(bar.PanelIndex("Main"));
  EXPECT_EQ(loadedForm<g_frmNotes>(), nullptr);
  EXPECT_EQ(ScriptedUi::get().shellCalls.size(), 1u);

  emit bar.PanelClick(bar.PanelIndex("Notes"));
  ASSERT_NE(loadedForm<g_frmNotes>(), nullptr);
  EXPECT_TRUE(loadedForm<g_frmNotes>()->isVisible());
}

TEST_F(CommandsTest, ToolCommandsCheckTheSelectionAndTheMarksFirst) {
  frmMain& w = start();
  auto& ui = ScriptedUi::get();
  cGrid& g = *w.cGrid1;
  const auto addRows = [&](int rows, int marked) {
    for (int r = 1; r <= rows; ++r) {
      g.SetCell(g.Rows() + 1, g.ColumnIndex("Item Name"), QString("item%1.wav").arg(r));
      g.Cell(r, g.ColumnIndex("Inc")).SetIconIndex(r <= marked ? 1 : 0);
    }
    g.SetSelectedRow(1);
  };
  const QString firstList = w.cTreeView1->SelectedItem()->Key();

  // A root selected: the message, then its first list is opened.
  g_oItemsListsNode->SetSelected(true);
  w.RunCommand("Audio Converter");
  ASSERT_EQ(ui.prompts(), QStringList({"Select the Items List." + QString(40, ' ')}));
  EXPECT_EQ(w.cTreeView1->SelectedItem()->Key(), firstList);

  ui.shown.clear();
  g_oItemsListsNode->SetSelected(true);
  w.RunCommand("Audio CD Ripper");
  EXPECT_EQ(ui.prompts(), QStringList({"Select the Items List of the CD." + QString(40, ' ')}));

  // The ripper wants a drive: the drives' root opens.
  ui.shown.clear();
  g_oAudioCDsNode->SetExpanded(false);
  w.RunCommand("Audio CD Ripper");
  EXPECT_EQ(ui.prompts(), QStringList({"Select the the Audio CD device to rip from." + QString(40, ' ')}));
  EXPECT_TRUE(g_oAudioCDsNode->Expanded());

  // An empty list asks for files instead.
  ui.shown.clear();
  w.RunCommand("Audio Joiner");
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(ui.dialogs.size(), 1u);

  struct Case {
    const char* key;
    int marked;
    QString message;  // empty: the checks pass
  } cases[] = {
      {"Audio Splitter", 0, "Mark the items to split." + QString(29, ' ')},
      {"Audio Analyser", 0, "Mark the item to edit." + QString(29, ' ')},
      {"MP3 CD Maker", 0, "Mark the items to burn." + QString(29, ' ')},
      {"Audio Joiner", 1, "Nothing to join." + QString(55, ' ') + "\r\n\r\n"},
      {"Audio Joiner", 2, ""},
      {"Audio Converter", 1, ""},
  };
  for (const Case& c : cases) {
    g.Clear();
    addRows(3, c.marked);
    ui.shown.clear();
    w.cGridInfo->Clear();
    // A tool window that opens is modal: it is closed as soon as it shows.
    long handedRows = -1;
    QTimer::singleShot(0, [&] {
      if (auto* tool = qobject_cast<TaskWindow*>(QApplication::activeModalWidget())) {
        handedRows = tool->cGrid1->Rows();
        tool->cmdExit->click();
      }
    });
    w.RunCommand(c.key);
    QCoreApplication::processEvents();
    if (c.message.isEmpty()) EXPECT_EQ(handedRows, c.marked) << c.key;
    EXPECT_EQ(ui.prompts(), c.message.isEmpty() ? QStringList() : QStringList({c.message})) << c.key;
    // Only a command that passed its checks refreshes the information pane.
    EXPECT_EQ(w.cGridInfo->Rows(), c.message.isEmpty() ? 9 : 0) << c.key;
  }
}
