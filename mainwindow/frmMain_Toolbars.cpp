// The main window's toolbars: built at load, their buttons run commands of
// the dispatcher or open a menu popup under the button.
#include <QApplication>
#include <QStyle>

#include "core/mdlModes.h"
#include "mainwindow/frmMain.h"
#include "settings/OptionValues.h"

namespace {
struct ToolButton {
  const char* key;
  const char* caption;
  long image;
};

struct FeaturedTool {
  const char* toolSwitch;
  ToolButton button;
};

const FeaturedTool kFeaturedTools[] = {
    {"lAppIncConverter", {"Audio Converter", "Convert", 7}},
    {"lAppIncJoin", {"Audio Joiner", "Join", 64}},
    {"lAppIncSplit", {"Audio Splitter", "Splitter", 63}},
    {"lAppIncEditor", {"Audio Analyser", "Editor", 62}},
    {"lAppIncMicRec", {"Audio Recorder", "Recorder", 70}},
    {"lAppIncAudioBurner", {"Audio CD Maker", "Burn", 73}},
    {"lAppIncCDRipper", {"Audio CD Ripper", "CD Ripper", 25}},
    {"lAppIncACMConverter", {"ACM Converter", "Converter", 61}},
    {"lAppIncMP3Burner", {"MP3 CD Maker", "Burn MP3", 72}},
    {"lAppIncWMABurner", {"WMA CD Maker", "Burn WMA", 72}},
    {"lAppIncTTS", {"Text To Speech", "TTS", 82}},
};

// A tools-toolbar entry: a button, or a separator (no key) shown when either
// of its switches is on; each widens the holder by its own amount.
struct RecorderEntry {
  const char* key;
  const char* caption;
  long image;
  const char* switch1;
  const char* switch2;
  long widening;
};

const RecorderEntry kRecorderEntries[] = {
    {"Audio Converter", "Convert", 19, "lAppIncConverter", nullptr, 1000},
    {"ACM Converter", "Convert", 21, "lAppIncACMConverter", nullptr, 1000},
    {nullptr, nullptr, -1, "lAppIncJoin", "lAppIncSplit", 1000},
    {"Audio Joiner", "Join", 23, "lAppIncJoin", nullptr, 1000},
    {"Audio Splitter", "Splitter", 22, "lAppIncSplit", nullptr, 1000},
    {nullptr, nullptr, -1, "lAppIncMicRec", "lAppIncEditor", 100},
    {"Audio Analyser", "Analyser", 20, "lAppIncEditor", nullptr, 1000},
    {"Audio Recorder", "Recorder", 24, "lAppIncMicRec", nullptr, 1000},
    {nullptr, nullptr, -1, "lAppIncCDRipper", "lAppIncAudioBurner", 1000},
    {"Audio CD Ripper", "CD Ripper", 25, "lAppIncCDRipper", nullptr, 1000},
    {"Audio CD Maker", "Burn", 27, "lAppIncAudioBurner", nullptr, 1000},
    {nullptr, nullptr, -1, "lAppIncMP3Burner", "lAppIncWMABurner", 100},
    {"MP3 CD Maker", "Burn MP3", 26, "lAppIncMP3Burner", nullptr, 1000},
    {"WMA CD Maker", "Burn WMA", 26, "lAppIncWMABurner", nullptr, 1000},
    {"Text To Speech", "TTS", 28, "lAppIncTTS", nullptr, 1000},
};

// The tools toolbar's pictures are the menu pictures of the same tools.
const std::pair<long, long> kGeneralFromMenu[] = {{19, 7},  {20, 62}, {21, 61}, {22, 63}, {23, 64},
                                                  {24, 70}, {25, 25}, {26, 72}, {27, 73}, {28, 82}};

// The menu item naming the popup a top-toolbar button opens.
QString popupItemFor(const QString& key) {
  if (key == "Items List") return "Save As";
  if (key == "Tools") return "Notes";
  if (key == "Options") return "ID3 Tags";
  if (key == "Mode") return "Transparent";
  if (key == "Help") return "About";
  return {};
}

bool isFeaturedToolKey(const QString& key) {
  for (const FeaturedTool& f : kFeaturedTools)
    if (key == f.button.key) return true;
  return false;
}

void addSeparator(cToolbar& bar) { bar.AddButton("", -1, "", cToolbar::Separator, ""); }

void addPlain(cToolbar& bar, const QString& key, long image, const QString& toolTip) {
  bar.AddButton(toolTip, image, "", cToolbar::Plain, key);
}

// The menu places popups in its owner's coordinates; the toolbar gives a screen point.
void showPopupAt(const QWidget& owner, cMenu& menu, const cToolbar& bar, long index, const QString& item) {
  long x = 0, y = 0;
  bar.GetButtonPosition(index, x, y);
  const QPoint p = owner.mapFromGlobal(QPoint(int(x), int(y)));
  menu.ShowPopupAt(p.x(), p.y(), 0, 0, 0, 0, -1, menu.IndexForKey(item));
}
}  // namespace

void frmMain::BuildToolbars() {
  for (auto [general, menuImage] : kGeneralFromMenu) {
    while (imgGeneral->ImageCount() <= general) imgGeneral->AddIcon(QIcon());
    imgGeneral->SetIcon(general, imgMenu->ItemPicture(menuImage));
  }
  QStyle* style = QApplication::style();
  for (auto sp : {QStyle::SP_MediaPlay, QStyle::SP_MediaPause, QStyle::SP_MediaStop})
    imgPlayer->AddIcon(style->standardIcon(sp));

  BuildToolsToolbar();

  tlbrTop->SetImageList(imgMenu);
  tlbrTop->CreateToolbar(16, false, true, true);
  if (lAppIncItemsLists == 1) {
    tlbrTop->AddButton("Add Files(s) to The Items List", 2, "  Add File(s)  ", cToolbar::Plain, "Add");
    addSeparator(*tlbrTop);
  }
  tlbrTop->AddButton("Items List", 39, "Items List", cToolbar::DropDown, "Items List");
  addSeparator(*tlbrTop);
  for (const FeaturedTool& f : kFeaturedTools) {
    if (g_sFeaturedTool != f.toolSwitch) continue;
    tlbrTop->AddButton(f.button.key, f.button.image, f.button.caption, cToolbar::Plain, f.button.key);
    break;
  }
  tlbrTop->AddButton("Tools", 19, "Tools", cToolbar::DropDown, "Tools");
  addSeparator(*tlbrTop);
  tlbrTop->AddButton("Options", 9, "Options", cToolbar::DropDown, "Options");
  addSeparator(*tlbrTop);
  tlbrTop->AddButton("Modes", 45, "Mode", cToolbar::DropDown, "Mode");
  tlbrTop->AddButton("Help", 12, "Help", cToolbar::DropDown, "Help");

  tlbrProjects->SetImageList(imgMenu);
  tlbrProjects->CreateToolbar(16, false, true, true);
  addPlain(*tlbrProjects, "New Items List", 48, "New Items List");
  addPlain(*tlbrProjects, "Rename Items List", 49, "Rename Items List");
  addPlain(*tlbrProjects, "Remove Items List", 50, "Remove Items List");
  addSeparator(*tlbrProjects);
  addPlain(*tlbrProjects, "Items List Properties", 51, "Items List Properties");

  tlbrList->SetImageList(imgMenu);
  tlbrList->CreateToolbar(16, false, true, true);
  if (lAppIncItemsLists == 1) {
    addPlain(*tlbrList, "Add Files", 2, "Add File(s)");
    addSeparator(*tlbrList);
  }
  addPlain(*tlbrList, "MarkUnmark All", 74, "Mark/Unmark All");
  addSeparator(*tlbrList);
  addPlain(*tlbrList, "Move Up", 0, "Move Item Up");
  addPlain(*tlbrList, "Move Down", 1, "Move Item Down");
  addSeparator(*tlbrList);
  addPlain(*tlbrList, "Move To First", 80, "Move Item To First");
  addPlain(*tlbrList, "Move To Last", 81, "Move Item To Last");
  addSeparator(*tlbrList);
  addPlain(*tlbrList, "Rename Item", 32, "Edit Item");
  addSeparator(*tlbrList);
  addPlain(*tlbrList, "Save As", 5, "Save Item As");
  addSeparator(*tlbrList);
  addPlain(*tlbrList, "Remove Item", 3, "Remove Item");
  addPlain(*tlbrList, "Clear the List", 27, "Remove All");
  if (lAppIncCDRipper == 1) {
    addSeparator(*tlbrList);
    addPlain(*tlbrList, "FreeDB", 22, "Get FreeDB Information About CD");
  }

  tlbrPlayButtons->SetImageList(imgPlayer);
  tlbrPlayButtons->CreateToolbar(24, false, false, true);
  addPlain(*tlbrPlayButtons, "Play", 0, "Play");
  tlbrPlayButtons->AddButton("Pause", 1, "", cToolbar::Check, "Pause");
  addPlain(*tlbrPlayButtons, "Stop", 2, "Stop");

  connect(tlbrTop, &cToolbar::ButtonClick, this, &frmMain::tlbrTop_ButtonClick);
  connect(tlbrTop, &cToolbar::ButtonDropDown, this, &frmMain::tlbrTop_ButtonDropDown);
  connect(tlbrProjects, &cToolbar::ButtonClick, this, &frmMain::tlbrProjects_ButtonClick);
  connect(tlbrList, &cToolbar::ButtonClick, this, &frmMain::tlbrList_ButtonClick);
  connect(tlbrRecorder, &cToolbar::ButtonClick, this, &frmMain::tlbrRecorder_ButtonClick);
  connect(tlbrPlayButtons, &cToolbar::ButtonClick, this, &frmMain::tlbrPlayButtons_ButtonClick);
  SetUpPlayer();
}

void frmMain::BuildToolsToolbar() {
  tlbrRecorder->SetImageList(imgGeneral);
  tlbrRecorder->CreateToolbar(26, false, true, true);
  for (const RecorderEntry& e : kRecorderEntries) {
    const bool on = mdlModes::ToolSwitch(e.switch1) == 1 || (e.switch2 && mdlModes::ToolSwitch(e.switch2) == 1);
    if (!on) continue;
    if (e.key) tlbrRecorder->AddButton(e.key, e.image, e.caption, cToolbar::Plain, e.key);
    else addSeparator(*tlbrRecorder);
    m_lRecorderHostWidth += e.widening;
  }
}

int frmMain::LayoutToolbars(const QRect& area) {
  const int topH = std::max(px(740), tlbrTop->sizeHint().height());
  tlbrTop->setGeometry(area.left(), area.top(), area.width(), topH);
  return topH;
}

void frmMain::LayoutToolbarFrames(const QRect& treeFrame, const QRect& listStrip, const QRect& commandFrame) {
  tlbrProjects->setGeometry(treeFrame);
  tlbrList->setGeometry(listStrip);
  const bool tools = tlbrRecorder->ButtonCount() > 0;
  tlbrRecorder->setVisible(tools);
  if (!tools) return;
  const int toolsH = std::min(commandFrame.height(), std::max(px(760), tlbrRecorder->sizeHint().height()));
  const int toolsW = std::max(px(int(m_lRecorderHostWidth)), tlbrRecorder->sizeHint().width());
  tlbrRecorder->setGeometry(commandFrame.left(), commandFrame.top(), std::min(toolsW, commandFrame.width()), toolsH);
}

void frmMain::tlbrTop_ButtonClick(long index) {
  if (menu_->ItemChecked(menu_->IndexForKey("On Top"))) SetOnTop(false);
  const QString key = tlbrTop->ButtonKey(index);
  if (key == "Add") {
    RunCommand("Add Files");
  } else if (isFeaturedToolKey(key)) {
    RunCommand(key);
  } else if (const QString item = popupItemFor(key); !item.isEmpty()) {
    showPopupAt(*this, *menu_, *tlbrTop, index, item);
  }
}

void frmMain::tlbrTop_ButtonDropDown(long index) {
  const QString item = popupItemFor(tlbrTop->ButtonKey(index));
  if (!item.isEmpty()) showPopupAt(*this, *menu_, *tlbrTop, index, item);
}

void frmMain::tlbrProjects_ButtonClick(long index) {
  SetOnTop(false);
  RunCommand(tlbrProjects->ButtonKey(index));
}

void frmMain::tlbrList_ButtonClick(long index) {
  SetOnTop(false);
  RunCommand(tlbrList->ButtonKey(index));
}

void frmMain::tlbrRecorder_ButtonClick(long index) { RunCommand(tlbrRecorder->ButtonKey(index)); }
