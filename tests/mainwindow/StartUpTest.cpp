#include <QDir>
#include <QThread>
#include <condition_variable>
#include <csignal>
#include <memory>
#include <mutex>
#include <unistd.h>
#include <QTest>
#include <QTimer>

#include "AudioFixtures.h"
#include "backend/cd/ReadAheadStore.h"
#include "InterruptedSave.h"
#include "MainWindowFixture.h"
#include "core/RegistryRoutines.h"
#include "core/g_frmSplash.h"
#include "core/mdlFunctions.h"
#include "core/mdlMain.h"
#include "mainwindow/frmMain.h"
#include "platform/Leftovers.h"
#include "platform/Registry.h"
#include "platform/SafeFile.h"
#include "platform/audio/cAudioConverter.h"
#include "settings/OutputFormatStore.h"
#include "settings/frmOptions.h"
#include "settings/g_frmAudioProp.h"
#include "tests/backend/audio/JobWatcher.h"
#include "tests/backend/audio/KilledRun.h"

namespace {
// Opacity 0, 10 ... 250, then fully opaque.
std::vector<int> fullFade() {
  std::vector<int> steps;
  for (int a = 0; a <= 250; a += 10) steps.push_back(a);
  steps.push_back(255);
  return steps;
}

// Notes how far the splash had faded when it was hidden.
struct SplashCloseWatch : QObject {
  std::vector<int> steps;
  double opacity = -1;
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() != QEvent::Hide) return false;
    auto* s = static_cast<g_frmSplash*>(o);
    steps = s->FadeSteps();
    opacity = s->windowOpacity();
    return false;
  }
};

RegistryRoutines generalStore() {
  RegistryRoutines r;
  r.hkey = HKEY_LOCAL_MACHINE;
  r.KeyRoot = mdlModes::SettingsKeyRoot();
  r.Subkey = "General";
  return r;
}
// The start-up sweep runs on; the test waits for it before it looks.
bool sweepEnded() { return TestEnv::WaitUntil([] { return !Leftovers::Sweeping(); }, 30000); }

QStringList entries(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// A rip killed while a track read ahead waits on disk (no memory budget).
bool killedRipHoldingATrack(const QString& shared) {
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    auto* held = new HeldPcm(std::make_shared<ReadAheadStore>(shared, 0));
    QString error;
    if (held->Put(QByteArray(4096, 'x').constData(), 4096, &error)) raise(SIGKILL);
    _exit(1);
  }
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// Holds the sweep of the first folder until released (or for a while,
// should it run on the thread that would release it).
struct SweepGate {
  std::mutex mutex;
  std::condition_variable changed;
  bool held = false, onUiThread = false, released = false;
  void Hold(bool uiThread) {
    std::unique_lock lock(mutex);
    if (held) return;
    held = true;
    onUiThread = uiThread;
    changed.notify_all();
    changed.wait_for(lock, std::chrono::seconds(20), [&] { return released; });
  }
  // Whether the held sweep runs on the UI thread, once it is held.
  bool WaitHeld() {
    std::unique_lock lock(mutex);
    changed.wait_for(lock, std::chrono::seconds(30), [&] { return held; });
    return !held || onUiThread;
  }
  void Release() {
    std::lock_guard lock(mutex);
    released = true;
    changed.notify_all();
  }
};
}  // namespace

using StartUpTest = MainWindowTest;

TEST_F(StartUpTest, WithoutTheGeneralKeyOnlyTheMessageIsShown) {
  ASSERT_EQ(Hive::DeleteKey(HKEY_LOCAL_MACHINE, mdlModes::SettingsKeyRoot() + "\\General"), ERROR_SUCCESS);
  EXPECT_FALSE(mdlMain::StartUp());
  auto& ui = ScriptedUi::get();
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].prompt,
            "This program cannot run, please reinstall the software or connect to the sofrware aurhor.\r\n\r\n"
            "The main reistry key doesn't existed.");
  EXPECT_EQ(ui.shown[0].title, "Tessory");
  EXPECT_EQ(ui.shown[0].buttons, vbInformation);
  EXPECT_TRUE(LoadedForms().empty());
}

TEST_F(StartUpTest, WithoutTheGeneralKeyTheProgramEndsWithAnError) {
  ASSERT_EQ(Hive::DeleteKey(HKEY_LOCAL_MACHINE, mdlModes::SettingsKeyRoot() + "\\General"), ERROR_SUCCESS);
  EXPECT_NE(mdlMain::Run(), 0);
  EXPECT_EQ(ScriptedUi::get().shown.size(), 1u);
}

TEST_F(StartUpTest, ADamagedHiveReadsAsMissingKeysAndIsLeftAsItWas) {
  const QString file = Hive::Folder() + "/machine.hive";
  for (QByteArray junk : {QByteArray("{\"keys\": [ {\"name\": \"SOFT"), QByteArray("\x00\xff garbage", 10),
                          QByteArray("[1, 2]")}) {
    {
      QFile f(file);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(junk);
    }
    Hive::SetFolder(Hive::Folder());  // as a fresh process finds it
    ScriptedUi::get().shown.clear();
    EXPECT_FALSE(mdlMain::StartUp());
    ASSERT_EQ(ScriptedUi::get().shown.size(), 1u);
    EXPECT_TRUE(ScriptedUi::get().shown[0].prompt.startsWith("This program cannot run"));
    EXPECT_TRUE(LoadedForms().empty());
    EXPECT_FALSE(generalStore().SetRegistryValue("x", "1", REG_SZ));
    EXPECT_FALSE(mdlInstall::Install());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), junk);
  }
}

TEST_F(StartUpTest, LoadsTheLongLivedWindowsAndShowsTheMainWindow) {
  ASSERT_TRUE(mdlMain::StartUp());
  EXPECT_NE(loadedForm<frmOptions>(), nullptr);
  EXPECT_NE(loadedForm<g_frmAudioProp>(), nullptr);
  EXPECT_FALSE(loadedForm<frmOptions>()->isVisible());
  EXPECT_EQ(loadedForm<g_frmSplash>(), nullptr);
  frmMain* main = loadedForm<frmMain>();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(main->isVisible());
  EXPECT_EQ(main->Caption(), "Tessory 3.1");
  EXPECT_EQ(main->cStatusBar1->PanelText("Main"), "Ready.");
  EXPECT_EQ(main->cStatusBar1->PanelText("Notes"), "Notes [ Empty ]");
  EXPECT_EQ(main->cSysTray1->ToolTip(), "Tessory 3.1");
  EXPECT_TRUE(main->cSysTray1->IconShown());
  EXPECT_EQ(main->m_cMenu()->ItemCaption(main->m_cMenu()->IndexForKey("RC Open")), "Hide");
}

TEST_F(StartUpTest, SplashFadesInStepByStepAndShowsItsTexts) {
  mdlModes::InitAppMode();
  g_frmSplash& s = form<g_frmSplash>();
  EXPECT_EQ(s.lblAppTitle->text(), "Tessory 3.1");
  EXPECT_EQ(s.lblVersion->text(), "Version 3.1.2");
  EXPECT_EQ(s.lblStat->text(), "Loading...");
  s.Show();
  s.FadeIn();
  EXPECT_EQ(s.FadeSteps(), std::vector<int>{0});  // returns at once, transparent
  EXPECT_EQ(s.windowOpacity(), 0.0);
  ASSERT_TRUE(TestEnv::WaitUntil([&] { return !s.Fading(); }, 2000));
  EXPECT_EQ(s.FadeSteps(), fullFade());
  EXPECT_EQ(s.windowOpacity(), 1.0);
  g_bSplashShown = true;
  mdlMain::SetSplashStatus("Loading GUI...");
  EXPECT_EQ(s.lblStat->text(), "Loading GUI...");
}

// The windows load while the splash fades in; it is still seen opaque before
// start-up closes it.
TEST_F(StartUpTest, LoadingBeginsWhileTheSplashFadesIn) {
  struct Seen {
    QString status;
    double opacity = -1;
    bool optionsLoaded = true;
  } first;
  SplashCloseWatch atClose;
  // Runs at the first moment start-up lets events through.
  QTimer::singleShot(0, [&] {
    g_frmSplash* s = loadedForm<g_frmSplash>();
    if (!s) return;
    first = {s->lblStat->text(), s->windowOpacity(), loadedForm<frmOptions>() != nullptr};
    s->installEventFilter(&atClose);
  });
  ASSERT_TRUE(mdlMain::StartUp());
  EXPECT_EQ(first.status.toStdString(), "Loading options...");
  EXPECT_LT(first.opacity, 1.0);
  EXPECT_FALSE(first.optionsLoaded);
  EXPECT_EQ(atClose.steps, fullFade());
  EXPECT_EQ(atClose.opacity, 1.0);
  EXPECT_TRUE(loadedForm<frmMain>()->isVisible());
}

TEST_F(StartUpTest, ADoubleClickClosesTheSplashAndStartUpGoesOn) {
  QTimer::singleShot(0, [] {
    if (g_frmSplash* s = loadedForm<g_frmSplash>()) QTest::mouseDClick(s, Qt::LeftButton);
  });
  ASSERT_TRUE(mdlMain::StartUp());
  EXPECT_EQ(loadedForm<g_frmSplash>(), nullptr);
  ASSERT_NE(loadedForm<frmMain>(), nullptr);
  EXPECT_TRUE(loadedForm<frmMain>()->isVisible());
}

TEST_F(StartUpTest, TraySwitchIsTheWholeArgumentTextWithItsCase) {
  struct Case {
    const char* args;
    bool inTray;
  } cases[] = {{"-st", true}, {"-ST", false}, {"-st x", false}, {"", false}};
  for (const Case& c : cases) {
    SetCommandLineArgs(c.args);
    ASSERT_TRUE(mdlMain::StartUp()) << c.args;
    frmMain* main = loadedForm<frmMain>();
    EXPECT_EQ(main->isVisible(), !c.inTray) << c.args;
    EXPECT_EQ(main->InTray(), c.inTray) << c.args;
    EXPECT_EQ(main->m_cMenu()->ItemCaption(main->m_cMenu()->IndexForKey("RC Open")), c.inTray ? "Show" : "Hide")
        << c.args;
    if (c.inTray) {
      main->cSysTray1_MouseEvent(1);  // one left click brings it back
      EXPECT_TRUE(main->isVisible());
      EXPECT_EQ(main->WindowState(), vbNormal);
      EXPECT_EQ(main->m_cMenu()->ItemCaption(main->m_cMenu()->IndexForKey("RC Open")), "Hide");
    }
    UnloadAllForms();
  }
}

TEST_F(StartUpTest, WithoutANotificationAreaATrayStartStaysReachableMinimised) {
  cSysTray::SetAvailableOverride(0);
  SetCommandLineArgs("-st");
  ASSERT_TRUE(mdlMain::StartUp());
  frmMain* main = loadedForm<frmMain>();
  EXPECT_TRUE(main->isVisible());
  EXPECT_EQ(main->WindowState(), vbMinimized);
}

TEST_F(StartUpTest, StoredWindowSizeFollowsItsLowerLimits) {
  struct Case {
    const char* width;
    const char* height;
    int expectW, expectH;
  } cases[] = {{nullptr, nullptr, 13140, 7440}, {"2999", "999", 13740, 7440},
               {"3000", "1000", 3000, 1000},    {"wide", "tall", 13740, 7440},
               {"9000", "6000", 9000, 6000}};
  for (const Case& c : cases) {
    RegistryRoutines g = generalStore();
    g.DeleteValue("lWidth");
    g.DeleteValue("lHeight");
    if (c.width) g.SetRegistryValue("lWidth", c.width, REG_SZ);
    if (c.height) g.SetRegistryValue("lHeight", c.height, REG_SZ);
    ASSERT_TRUE(mdlMain::StartUp());
    frmMain* main = loadedForm<frmMain>();
    // The window manager may round the outer size to whole pixels.
    // Without a stored width the first window may be wider: as wide as its toolbars need.
    if (c.width) EXPECT_NEAR(main->Width(), c.expectW, TwipsPerPixel) << c.width;
    else EXPECT_GE(main->Width(), c.expectW - TwipsPerPixel);
    EXPECT_NEAR(main->Height(), c.expectH, TwipsPerPixel) << (c.height ? c.height : "none");
    UnloadAllForms();
  }
}

TEST_F(StartUpTest, ExitStoresTheSizeAndRemovesTheTrayIcon) {
  ASSERT_TRUE(mdlMain::StartUp());
  frmMain* main = loadedForm<frmMain>();
  main->SetWidth(9000);
  main->SetHeight(6000);
  cSysTray* tray = main->cSysTray1;
  main->RunCommand("Exit");
  QCoreApplication::processEvents();
  EXPECT_EQ(loadedForm<frmMain>(), nullptr);
  EXPECT_EQ(loadedForm<frmOptions>(), nullptr);  // really closed now
  EXPECT_EQ(loadedForm<g_frmAudioProp>(), nullptr);
  EXPECT_TRUE(g_bExiting);
  EXPECT_NEAR(generalStore().GetRegistryValue("lWidth").toString().toInt(), 9000, TwipsPerPixel);
  EXPECT_NEAR(generalStore().GetRegistryValue("lHeight").toString().toInt(), 6000, TwipsPerPixel);
  Q_UNUSED(tray);
}

TEST_F(StartUpTest, ExitQuestionNoKeepsEverythingYesCloses) {
  ASSERT_TRUE(mdlMain::StartUp());
  g_bDisplayMSGWhenExit = true;
  frmMain* main = loadedForm<frmMain>();
  auto& ui = ScriptedUi::get();
  ui.answers = {vbNo};
  main->close();  // the close box
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].prompt, "Are you sure you want to exit 'Tessory 3.1' ?");
  EXPECT_EQ(ui.shown[0].buttons, vbYesNo + vbInformation);
  EXPECT_FALSE(g_bExiting);
  EXPECT_NE(loadedForm<frmMain>(), nullptr);
  EXPECT_TRUE(main->cSysTray1->IconShown());
  // The options window still only hides while the program runs.
  loadedForm<frmOptions>()->close();
  EXPECT_NE(loadedForm<frmOptions>(), nullptr);
  ui.answers = {vbYes};
  main->close();
  EXPECT_EQ(loadedForm<frmMain>(), nullptr);
  EXPECT_EQ(loadedForm<frmOptions>(), nullptr);
}

TEST_F(StartUpTest, StartSwitchRunsAfterTheLoad) {
  SetCommandLineArgs("-ADDFILES");
  ASSERT_TRUE(mdlMain::StartUp());
  auto& ui = ScriptedUi::get();
  EXPECT_TRUE(ui.dialogs.empty());  // not during start-up itself
  ASSERT_TRUE(TestEnv::WaitUntil([&] { return !ui.dialogs.empty(); }, 2000));
  EXPECT_EQ(ui.dialogs[0].kind, DialogCall::OpenFiles);
}

TEST_F(StartUpTest, OtherStartSwitchTextsDoNothing) {
  SetCommandLineArgs("-addfiles now");
  ASSERT_TRUE(mdlMain::StartUp());
  TestEnv::WaitUntil([] { return false; }, 400);
  EXPECT_TRUE(ScriptedUi::get().dialogs.empty());
}

TEST_F(StartUpTest, AFreshInstallStartsWithAReadableTitleAndThePanesShown) {
  ASSERT_TRUE(mdlMain::StartUp());
  frmMain* main = loadedForm<frmMain>();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(main->picTitle->isVisible());
  EXPECT_TRUE(main->cGridInfo->isVisible());
  EXPECT_TRUE(main->cSlider1->isVisible());
  // The title text stands out from its strip.
  const QImage strip = main->picTitle->grab().toImage();
  const QColor back = strip.pixelColor(strip.width() - 3, strip.height() / 2);
  const QColor text = ColorFromNumber(g_lTitleForeColor);
  EXPECT_EQ(back, ColorFromNumber(g_lTitleBackColor));
  EXPECT_GT(std::abs(back.lightness() - text.lightness()), 100);
  EXPECT_EQ(main->lblTitle->palette().color(QPalette::WindowText), text);

  // A user's own choice survives a second install.
  UnloadAllForms();
  ASSERT_TRUE(generalStore().SetRegistryValue("chkDisplayTitle", "0", REG_SZ));
  ASSERT_TRUE(mdlInstall::Install());
  EXPECT_EQ(generalStore().GetRegistryValue("chkDisplayTitle"), "0");
  EXPECT_EQ(generalStore().GetRegistryValue("chkDisplayPlayer"), "1");
}

TEST_F(StartUpTest, InstallAgainKeepsStoredValues) {
  RegistryRoutines g = generalStore();
  ASSERT_TRUE(g.SetRegistryValue("lWidth", "5000", REG_SZ));
  ASSERT_TRUE(mdlInstall::Install());
  EXPECT_EQ(generalStore().GetRegistryValue("lWidth"), "5000");
  for (const char* s : {"Events", "ID3 Tags", "Display", "Formats\\WAV", "Formats\\APE"})
    EXPECT_TRUE(Hive::KeyExists(HKEY_LOCAL_MACHINE, mdlModes::SettingsKeyRoot() + "\\" + s)) << s;
  EXPECT_TRUE(QFile::exists(ProgramFolder() + "/sound/notify.wav"));
}

// Saves of the notes and of the hive killed half way leave temporary files;
// the next start removes them and finds both files as they were.
TEST_F(StartUpTest, StartingRemovesWhatInterruptedSavesLeft) {
  const QString notes = frmMain::NotesFile();
  ASSERT_TRUE(SafeFile::Write(notes, "kept\r\n"));
  const QString general = mdlModes::SettingsKeyRoot() + "\\General";
  ASSERT_TRUE(InterruptSave([&] { SafeFile::Write(notes, QByteArray(100000, 'x')); }, 5000));
  ASSERT_TRUE(InterruptSave(
      [&] { Hive::SetValue(HKEY_LOCAL_MACHINE, general, "big", {REG_SZ, QByteArray(100000, 'x') + '\0'}); }, 5000));
  auto leftovers = [] {
    QStringList out;
    for (const QString& folder : {ProgramFolder(), Hive::Folder()})
      for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        if (SafeFile::IsTemporaryName(name)) out << name;
    return out;
  };
  ASSERT_EQ(leftovers().size(), 2);
  Hive::SetFolder(Hive::Folder());  // as a fresh process finds it
  ASSERT_TRUE(mdlMain::StartUp());
  EXPECT_EQ(leftovers(), QStringList());
  QFile f(notes);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), "kept\r\n");
  EXPECT_FALSE(Hive::Query(HKEY_LOCAL_MACHINE, general, "big").has_value());
}

// A run killed while writing into a destination folder of the history leaves
// its temporary files; the next start removes them there and nowhere else.
TEST_F(StartUpTest, StartingRemovesWhatKilledRunsLeftInTheDestinationsUsed) {
  const QString dir = TestEnv::FreshDir("killed");
  const QString used = dir + "/used", other = dir + "/other";
  ASSERT_TRUE(QDir().mkpath(used) && QDir().mkpath(other));
  const QStringList inputs = {AudioFixtures::WriteWav(dir + "/a.wav", 44100, 2, 16, 3.0),
                              AudioFixtures::WriteWav(dir + "/b.wav", 44100, 2, 16, 3.0)};
  ASSERT_TRUE(KilledConversion(inputs, used));
  const QStringList leftovers = FilledTemporaries(used);
  ASSERT_EQ(leftovers.size(), 2);
  for (const QString& name : leftovers) ASSERT_TRUE(QFile::copy(used + "/" + name, other + "/" + name));
  ASSERT_TRUE(mdlFunctions::WriteTextFile(dir + "/missing/\r\n\r\n" + used + "/", mdlFunctions::PathHistoryFile()));

  ASSERT_TRUE(mdlMain::StartUp());
  ASSERT_TRUE(sweepEnded());
  EXPECT_EQ(FilledTemporaries(used).join(" ").toStdString(), "");
  EXPECT_EQ(FilledTemporaries(other).join(" ").toStdString(), leftovers.join(" ").toStdString());
}

// Wherever a killed run wrote, the next start removes what it left: a
// conversion into a sub-folder of a destination, and a rip's tracks read
// ahead and held on disk in the program folder.
TEST_F(StartUpTest, StartingRemovesWhatKilledRunsLeftWhereverTheyWrote) {
  const QString dir = TestEnv::FreshDir("killed_anywhere");
  const QString sub = dir + "/dest/Artist";
  ASSERT_TRUE(QDir().mkpath(sub));
  ASSERT_TRUE(KilledConversion({AudioFixtures::WriteWav(dir + "/a.wav", 44100, 2, 16, 3.0)}, sub));
  ASSERT_EQ(FilledTemporaries(sub).size(), 1);
  const QString ripcache = ProgramFolder() + "/ripcache";
  ASSERT_TRUE(killedRipHoldingATrack(ripcache));
  ASSERT_EQ(entries(ripcache).size(), 2);  // the run folder and its lock
  ASSERT_TRUE(mdlFunctions::WriteTextFile(dir + "/dest/", mdlFunctions::PathHistoryFile()));

  ASSERT_TRUE(mdlMain::StartUp());
  ASSERT_TRUE(sweepEnded());
  EXPECT_EQ(entries(sub).join(" ").toStdString(), "");
  EXPECT_EQ(entries(ripcache).join(" ").toStdString(), "");
}

// At start-up run folders are looked for only where the program makes them,
// and never through a symbolic link: a destination holding a link named like
// a run folder beside a lock file keeps the files it points to, and a folder
// like a run folder there stays; a crashed run's folder in the program's own
// shared folder goes, with a link inside it but not what that points to.
TEST_F(StartUpTest, StartingLooksForRunFoldersOnlyWhereTheyAreMadeAndFollowsNoLink) {
  const QString dir = TestEnv::FreshDir("run_folders");
  const QString dest = dir + "/dest", pointedTo = dir + "/pointed_to";
  const QString crashed = ProgramFolder() + "/ripcache/.tessory-run-xxxxxxxx";
  auto link = [](const QString& target, const QString& path) {
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) == 0;
  };
  ASSERT_TRUE(QDir().mkpath(dest + "/.tessory-run-yyyyyyyy") && QDir().mkpath(pointedTo) && QDir().mkpath(crashed));
  for (const QString& file : {pointedTo + "/a.mp3", dest + "/.tessory-run-zzzzzzzz.lock", dest + "/.tessory-run-yyyyyyyy.lock",
                              dest + "/.tessory-run-yyyyyyyy/a.mp3", crashed + ".lock"})
    ASSERT_TRUE(mdlFunctions::WriteTextFile("x", file));
  ASSERT_TRUE(link(pointedTo, dest + "/.tessory-run-zzzzzzzz") && link(pointedTo, crashed + "/linked"));
  const QStringList kept = entries(dest);
  ASSERT_EQ(kept.size(), 4);
  ASSERT_TRUE(mdlFunctions::WriteTextFile(dest + "/", mdlFunctions::PathHistoryFile()));

  ASSERT_TRUE(mdlMain::StartUp());
  ASSERT_TRUE(sweepEnded());
  EXPECT_EQ(entries(pointedTo).join(" ").toStdString(), "a.mp3");
  EXPECT_EQ(entries(dest).join(" ").toStdString(), kept.join(" ").toStdString());
  EXPECT_EQ(entries(dest + "/.tessory-run-yyyyyyyy").join(" ").toStdString(), "a.mp3");
  EXPECT_EQ(entries(ProgramFolder() + "/ripcache").join(" ").toStdString(), "");
}

// A destination on a mount that hangs holds up the sweep, never the start:
// the folders are swept on a thread of their own.
TEST_F(StartUpTest, TheMainWindowShowsWhileTheSweepOfAFolderHangs) {
  ASSERT_TRUE(mdlFunctions::WriteTextFile(TestEnv::FreshDir("hanging") + "/", mdlFunctions::PathHistoryFile()));
  auto gate = std::make_shared<SweepGate>();
  Leftovers::SetSweepHook([gate, ui = QThread::currentThread()](const QString&) { gate->Hold(QThread::currentThread() == ui); });
  const bool started = mdlMain::StartUp();
  Leftovers::SetSweepHook({});
  const bool shown = started && loadedForm<frmMain>() && loadedForm<frmMain>()->isVisible();
  const bool heldOnTheUiThread = gate->WaitHeld();
  gate->Release();
  EXPECT_TRUE(shown);
  EXPECT_FALSE(heldOnTheUiThread);
  EXPECT_TRUE(sweepEnded());
}

// A fresh install converts as the output-format window offers it: stereo WAV at
// 44100 Hz, MP3 at 128 kbit/s, OGG at quality 50.
TEST_F(StartUpTest, AFreshInstallConvertsWithTheOutputFormatDefaults) {
  ASSERT_TRUE(mdlMain::StartUp());
  const WavFormatRecord wav = OutputFormatStore::WavFormat();
  EXPECT_EQ(wav.SampleRate, 44100);
  EXPECT_EQ(wav.Channels, 2);
  EXPECT_EQ(wav.BitsPerSample, 16);
  const Mp3FormatRecord mp3 = OutputFormatStore::Mp3Format();
  EXPECT_EQ(mp3.Bitrate, 128);
  EXPECT_EQ(mp3.SampleRate, 44100);
  EXPECT_EQ(mp3.Quality, 5);
  EXPECT_EQ(mp3.VbrQuality, 5);
  EXPECT_EQ(mp3.VbrMinBitrate, 9);   // 96
  EXPECT_EQ(mp3.VbrMaxBitrate, 11);  // 128
  EXPECT_EQ(mp3.AbrBitrate, 96);
  EXPECT_NE(mp3.Original, 0);
  EXPECT_NE(mp3.Copyright, 0);
  EXPECT_NE(mp3.WriteVbrTag, 0);
  EXPECT_EQ(mp3.ErrorProtection, 0);
  EXPECT_TRUE(g_bOggQualityMode);
  EXPECT_EQ(OutputFormatStore::OggFormat().Mode, 0);
  EXPECT_EQ(OutputFormatStore::OggFormat().Quality, 50);
  EXPECT_EQ(g_lApeLevel, 0);

  const QString dir = TestEnv::FreshDir("fresh");
  cAudioConverter converter;
  JobWatcher job(converter);
  converter.SetInputFile(AudioFixtures::WriteWav(dir + "/mono.wav", 22050, 1, 16, 0.5));
  converter.SetOutputFile(dir + "/out.wav");
  OutputFormatStore::HandOver(converter, fmtWAV);
  ASSERT_EQ(converter.StartConvert(), 0);
  ASSERT_TRUE(job.Wait());
  EXPECT_EQ(job.ends, QStringList{"Done"});
  const AudioFixtures::Probe probe = AudioFixtures::ProbeFile(dir + "/out.wav");
  EXPECT_EQ(probe.sampleRate, 44100);
  EXPECT_EQ(probe.channels, 2);
}
