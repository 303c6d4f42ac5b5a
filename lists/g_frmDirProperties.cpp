#include "lists/g_frmDirProperties.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include "core/mdlFunctions.h"
#include "core/mdlSetFormIcon32.h"
#include "lists/NameBoxFilter.h"
#include "lists/TitleSkin.h"
#include "lists/frmMainLists.h"
#include "platform/Services.h"
#include "platform/cTabControl.h"

g_frmDirProperties::g_frmDirProperties()
    : picTitle(new QWidget(this)),
      lblTitle(new QLabel("Properties", picTitle)),
      cTabControl1(new cTabControl(this)),
      TabGeneral(new QWidget(this)),
      lblFolderName(new QLabel("Items List Name:", TabGeneral)),
      txtFolderName(new QLineEdit(TabGeneral)),
      lblPath(new QLabel("Path:", TabGeneral)),
      txtPath(new QLineEdit(TabGeneral)),
      lblThisFolderContain(new QLabel("This items list contains:", TabGeneral)),
      lblContain(new QLabel(TabGeneral)),
      imgOpenDestFolder(new QLabel(TabGeneral)),
      lblOpenDestinationDestinationFolder(new QLabel("Open destination folder", TabGeneral)),
      cmdOk(new QPushButton("OK", this)),
      cmdCancel(new QPushButton("Cancel", this)) {
  setObjectName("g_frmDirProperties");
  SetCaption("Items List Properties");
  setWindowIcon(mdlSetFormIcon32::ProgramIcon("aaa"));
  setFont(QFont("Tahoma", 8));
  setFixedSize(px(6255), px(4380));
  picTitle->setAutoFillBackground(true);
  picTitle->setGeometry(0, 0, px(6255), px(375));
  QFont bold = lblTitle->font();
  bold.setBold(true);
  lblTitle->setFont(bold);
  lblTitle->setGeometry(px(120), px(60), px(4000), px(255));
  cTabControl1->setGeometry(px(120), px(480), px(6015), px(3150));
  lblFolderName->setGeometry(px(240), px(300), px(1800), px(255));
  txtFolderName->setGeometry(px(2040), px(255), px(3480), px(315));
  lblPath->setGeometry(px(240), px(780), px(1800), px(255));
  txtPath->setGeometry(px(2040), px(735), px(3480), px(315));
  txtPath->setReadOnly(true);
  lblThisFolderContain->setGeometry(px(240), px(1260), px(2100), px(255));
  lblContain->setGeometry(px(2400), px(1260), px(3120), px(255));
  imgOpenDestFolder->setGeometry(px(240), px(1920), px(240), px(240));
  lblOpenDestinationDestinationFolder->setGeometry(px(540), px(1920), px(2400), px(255));
  lblOpenDestinationDestinationFolder->setStyleSheet("color: blue; text-decoration: underline;");
  lblOpenDestinationDestinationFolder->setCursor(Qt::PointingHandCursor);
  lblOpenDestinationDestinationFolder->installEventFilter(this);
  cmdOk->setGeometry(px(3480), px(3840), px(1215), px(375));
  cmdCancel->setGeometry(px(4800), px(3840), px(1215), px(375));
  cmdOk->setDefault(true);
  NameBoxFilter::Install(txtFolderName);
  connect(cmdOk, &QPushButton::clicked, this, &g_frmDirProperties::cmdOk_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &g_frmDirProperties::cmdCancel_Click);
}

void g_frmDirProperties::Form_Load() {
  TitleSkin::Apply(*this, picTitle, lblTitle);
  cTabControl1->AddTab("Information");
  TabGeneral->setGeometry(px(cTabControl1->ClientLeft()), px(cTabControl1->ClientTop()),
                          px(cTabControl1->ClientWidth()), px(cTabControl1->ClientHeight()));
  TabGeneral->raise();
}

bool g_frmDirProperties::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lblOpenDestinationDestinationFolder && event->type() == QEvent::MouseButtonRelease)
    lblOpenDestinationDestinationFolder_Click();
  return Form::eventFilter(watched, event);
}

void g_frmDirProperties::refuse(const QString& message) {
  MsgBox(message, vbInformation);
  txtFolderName->setFocus();
}

void g_frmDirProperties::cmdOk_Click() {
  if (!bEditFolderName) {
    Unload();
    return;
  }
  frmMainLists* main = frmMainLists::MainWindow();
  cTreeNode* node = main ? main->cTreeView1->SelectedItem() : nullptr;
  txtFolderName->setText(txtFolderName->text().trimmed());
  const QString name = txtFolderName->text();
  // A name of blanks only is as empty as no name.
  if (name.isEmpty()) return refuse("Empty Item Name." + QString(42, ' '));
  if (!mdlFunctions::IsLegalName(name)) {
    refuse("Illegal Item Name." + QString(42, ' '));
    int key = '?';
    mdlFunctions::CheckIllegalNameChar(txtFolderName, key);
    return;
  }
  if (!node || name == node->Text()) {
    Unload();
    return;
  }
  const QString key = node->Key();
  if (!frmMainLists::IsCDNode(key) && !frmMainLists::IsMainNode(key)) {
    const QString newPath = mdlFunctions::GetFolderPath(key) + name + ".flst";
    if (frmMainLists::ListFileExists(newPath))
      return refuse("Folder name already exists, please select a different name.");
    // A failed rename keeps the old name; the window stays open for another try.
    if (!frmMainLists::RenameListFile(key, newPath)) {
      txtFolderName->setFocus();
      return;
    }
    node->SetKey(newPath);
  }
  main->lblListName->setText(name);
  node->SetText(name);
  Unload();
}

void g_frmDirProperties::cmdCancel_Click() { Unload(); }

void g_frmDirProperties::lblOpenDestinationDestinationFolder_Click() {
  // A drive has no folder; a list's path names its file, so the folder that holds it opens.
  QString path = txtPath->text();
  if (frmMainLists::IsCDNode(path) || frmMainLists::IsMainNode(path)) return;
  if (QFileInfo(path).isFile()) path = mdlFunctions::GetFolderPath(path);
  if (!path.endsWith('/')) {
    path += '/';
    txtPath->setText(path);
  }
  if (!QFileInfo(path).isDir()) {
    const QString prompt = "The folder " + path + " does not exist." + QString(44, ' ') +
                           "\r\n\r\nWould you like to create it?";
    if (MsgBox(prompt, vbYesNo + vbInformation) != vbYes) return;
    if (mdlFunctions::CreateFolderPath(path) != 0) MsgBox("The path: " + path + " cannot be created.");
  }
  mdlFunctions::ShellOpen(this, path);
}
