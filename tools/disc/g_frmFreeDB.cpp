#include "tools/disc/g_frmFreeDB.h"

#include <QHostInfo>
#include <QLabel>
#include <QPushButton>

#include "core/RegistryRoutines.h"
#include "core/mdlModes.h"
#include "core/mdlSetFormIcon32.h"
#include "lists/ItemRow.h"
#include "lists/TitleSkin.h"
#include "mainwindow/frmMain.h"
#include "platform/Services.h"
#include "platform/cGrid.h"
#include "platform/cTreeView.h"
#include "platform/cd/cFreeDB.h"
#include "settings/FormControls.h"

namespace {
constexpr long kLookupTimeout = 20;

// A name made from the CD database's text, for an item or the drive: without
// its leading dots and blanks, so that no file or folder named after it is
// hidden; empty when the text names nothing.
QString NameFrom(const QString& text) {
  qsizetype start = 0;
  while (start < text.size() && (text[start] == u'.' || text[start].isSpace())) ++start;
  return text.mid(start);
}

bool Blank(const QString& text) { return text.trimmed().isEmpty(); }

RegistryRoutines GeneralSettings() {
  RegistryRoutines r;
  r.hkey = HKEY_LOCAL_MACHINE;
  r.KeyRoot = mdlModes::SettingsKeyRoot();
  r.Subkey = "General";
  return r;
}
}  // namespace

QString g_frmFreeDB::ServerHostSetting() {
  const QString host = GeneralSettings().GetRegistryValue("sFreeDBServer", "gnudb.gnudb.org").toString();
  return host.isEmpty() ? QString("gnudb.gnudb.org") : host;
}

int g_frmFreeDB::ServerPortSetting() {
  bool ok = false;
  const int port = GeneralSettings().GetRegistryValue("lFreeDBPort", 8880).toInt(&ok);
  return ok && port > 0 && port < 65536 ? port : 8880;
}

g_frmFreeDB::g_frmFreeDB() {
  using namespace FormControls;
  FixedDialog(this, "FreeDB", 5400, 2400);
  picTitle = new QWidget(this);
  Place(picTitle, 0, 0, 5400, 495);
  lblTitle = Label(picTitle, "FreeDB", 120, 120, 4000, 255);
  lblArtist = Label(this, "Album Name", 120, 660, 5160, 255);
  lblAlbumName = Label(this, "Album Name", 120, 960, 5160, 255);
  lblCurrentTrack = Label(this, "Ready.", 120, 1380, 5160, 255);
  cmdAbort = Button(this, "Abort", 4005, 1860, 1275, 400);
  cFreeDB1 = new cFreeDB(this);
  connect(cmdAbort, &QPushButton::clicked, this, &g_frmFreeDB::cmdAbort_Click);
  connect(cFreeDB1, &cFreeDB::Notify, this, &g_frmFreeDB::cFreeDB1_Notify);
  connect(cFreeDB1, &cFreeDB::Error, this, &g_frmFreeDB::cFreeDB1_Error);
  connect(cFreeDB1, &cFreeDB::StateChanged, this, &g_frmFreeDB::cFreeDB1_StateChanged);
  connect(cFreeDB1, &cFreeDB::Message, this, &g_frmFreeDB::cFreeDB1_Message);
  connect(cFreeDB1, &cFreeDB::ArtistFound, this, &g_frmFreeDB::cFreeDB1_ArtistFound);
  connect(cFreeDB1, &cFreeDB::AlbumFound, this, &g_frmFreeDB::cFreeDB1_AlbumFound);
  connect(cFreeDB1, &cFreeDB::TrackInfo, this, &g_frmFreeDB::cFreeDB1_TrackInfo);
}

void g_frmFreeDB::Form_Load() {
  mdlSetFormIcon32::SetFormIcon(this, "cd_music", true);
  TitleSkin::Apply(*this, picTitle, lblTitle);
}

bool g_frmFreeDB::GetFreeDB() {
  lblCurrentTrack->setText("Checking connection...");
  // The check tries the server the lookup will use.
  cFreeDB1->SetServerHost(ServerHostSetting());
  cFreeDB1->SetServerPort(ServerPortSetting());
  if (!cFreeDB1->IsConnected()) {
    lblCurrentTrack->setText("No internet connection!");
    MsgBox("There is no internet connection.\r\n\r\nGetting the information about the Audio CD (using the 'FreeDB') "
           "has failed.",
           vbInformation);
    Unload();
    return false;
  }
  lblCurrentTrack->setText("Connecting to " + ServerHostSetting() + "...");
  frmMain* main = loadedForm<frmMain>();
  cTreeNode* node = main ? main->cTreeView1->SelectedItem() : nullptr;
  m_sDriveKey = node ? node->Key() : QString();
  m_lTracks = main ? main->cGrid1->Rows() : 0;
  cFreeDB1->SelectDrive(frmMain::GetCDNameNode(m_sDriveKey));
  cFreeDB1->SetTimeout(kLookupTimeout);
  cFreeDB1->SetServerHost(ServerHostSetting());
  cFreeDB1->SetServerPort(ServerPortSetting());
  cFreeDB1->SetUserName("clsCDDB");
  cFreeDB1->SetHelloHostName(QHostInfo::localHostName());
  cFreeDB1->SetClientName("clsCDDB");
  cFreeDB1->SetClientVersion("v0.5");
  cFreeDB1->StartQuery();
  return true;
}

void g_frmFreeDB::cmdAbort_Click() { Unload(); }

void g_frmFreeDB::Form_Unload(int&) {
  cFreeDB1->Disconnect();
  cFreeDB1->CloseLookup();
}

void g_frmFreeDB::cFreeDB1_Notify() { Hide(); }

void g_frmFreeDB::cFreeDB1_Error(long code, const QString& text) {
  const QString shown = text + "(" + QString::number(code) + ")";
  lblCurrentTrack->setText(shown);
  MsgBox(shown, vbExclamation);
  if (code == FreeDbErrLookup) Unload();
}

void g_frmFreeDB::cFreeDB1_StateChanged(const QString& state) { lblCurrentTrack->setText("FreeDB State:" + state); }

void g_frmFreeDB::cFreeDB1_Message(const QString&) {}

void g_frmFreeDB::cFreeDB1_ArtistFound(const QString& artist) { lblArtist->setText(artist); }

void g_frmFreeDB::cFreeDB1_AlbumFound(const QString& album) { lblAlbumName->setText(album); }

// Rows are written only while the main grid shows the disc looked up: when
// the user has opened another list meanwhile, its rows stay as they are.
void g_frmFreeDB::cFreeDB1_TrackInfo(const QString& artist, int track, const QString& title) {
  frmMain* main = loadedForm<frmMain>();
  if (!main) return;
  cTreeNode* selected = main->cTreeView1->SelectedItem();
  const bool showsDisc = selected && selected->Key() == m_sDriveKey;
  if (showsDisc && main->cGrid1->Rows() == 0) return;
  if (showsDisc && track >= 1 && track <= main->cGrid1->Rows()) {
    // A title that names nothing would name the file ".cda": the track keeps
    // its own name, as a blank artist or album keeps its cell.
    if (const QString name = NameFrom(title); !name.isEmpty())
      ItemRow::SetText(*main->cGrid1, track, "Item Name", name + ".cda");
    if (!Blank(artist)) ItemRow::SetText(*main->cGrid1, track, "COL_TAG_ARTIST", artist);
    if (!Blank(lblAlbumName->text())) ItemRow::SetText(*main->cGrid1, track, "COL_TAG_ALBUM", lblAlbumName->text());
  }
  if (track == m_lTracks) FinishLookup();
}

// The drive node takes the artist and the album as its caption (the one of
// them that names something, or neither); the list title follows when that
// drive is still the one open.
void g_frmFreeDB::FinishLookup() {
  frmMain* main = loadedForm<frmMain>();
  cTreeNode* drive = g_oAudioCDsNode ? g_oAudioCDsNode->Children().Item(m_sDriveKey) : nullptr;
  QStringList names;
  for (const QLabel* label : {lblArtist, lblAlbumName})
    if (const QString name = NameFrom(label->text()); !name.isEmpty()) names << name;
  if (main && drive && frmMain::IsCDNode(m_sDriveKey) && !names.isEmpty()) {
    QString text = names.join(" - ");
    drive->SetText(text);
    if (main->cTreeView1->SelectedItem() == drive) {
      int cancel = 0;
      main->cTreeView1_AfterLabelEdit(drive, text, cancel);
      main->lblListName->setText(drive->Text());
    }
  }
  Unload();
}
