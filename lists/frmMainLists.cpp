#include "lists/frmMainLists.h"

cTreeNode* g_oItemsListsNode = nullptr;
cTreeNode* g_oAudioCDsNode = nullptr;

frmMainLists::frmMainLists(QWidget* parent)
    : Form(parent),
      cTreeView1(new cTreeView(this)),
      cGrid1(new cGrid(this)),
      cGridInfo(new cGrid(this)),
      lblListName(new QLabel(this)),
      cStatusBar1(new cStatusBar(this)),
      prgStatus(new XP_ProgressBar(this)),
      picEmptyMsg(new QWidget(cGrid1)),
      lblAddorDrag(new QLabel(picEmptyMsg)),
      lblEmptylist(new QLabel(picEmptyMsg)),
      tmrCDs(new Timer(this)),
      tmrRemove(new Timer(this)),
      imgMenu(new cImageList(this)),
      imgGrid(new cImageList(this)),
      menu_(new cMenu(this)) {
  setObjectName("frmMain");
  tmrCDs->SetInterval(5000);
  tmrRemove->SetInterval(50);
  prgStatus->hide();
  picEmptyMsg->hide();
}

bool frmMainLists::IsMainNode(const QString& key) { return key.startsWith("##MAIN"); }
bool frmMainLists::IsCDNode(const QString& key) { return key.left(4) == "##CD"; }
QString frmMainLists::GetCDNameNode(const QString& key) { return key.mid(4, 2); }

void frmMainLists::setTree() {}
void frmMainLists::cTreeView1_NodeClick(cTreeNode*) {}
void frmMainLists::DoClearTheList() {}
void frmMainLists::SelectFirstAudioCD() {}
bool frmMainLists::RunListCommand(const QString&) { return false; }
