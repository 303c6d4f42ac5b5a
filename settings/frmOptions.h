// The options window: five pages of option values behind a page tree. It is
// loaded hidden at start-up, fills the option values as it loads, and only
// hides when closed until the program exits; its controls are the store the
// option values are copied from.
#pragma once
#include <QString>

#include "core/RegistryRoutines.h"
#include "platform/Form.h"

class ClickLabel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class cImageList;
class cTreeNode;
class cTreeView;

class frmOptions : public Form {
  Q_OBJECT
 public:
  frmOptions();

  // Reads every stored option into its control and the process-wide value.
  void GetOptions();
  // Shows the page of the node; also the tree's node-click handler.
  void cTreeView1_NodeClick(cTreeNode* node);
  // Opens the window modally at a page ("General", "Events", "View",
  // "ID3 Tags" or "Advanced"), as every opener does.
  void ShowAtPage(const QString& key, QWidget* owner = nullptr);
  // The task windows' "Set as default" links: store the text under
  // "General", choose it in the list and make it the process-wide value.
  void SetDefaultTargetFormat(const QString& text);
  void SetDefaultFileNameFormat(const QString& text);

  // OK and Cancel.
  void cmdOk_Click();
  void cmdCancel_Click();
  // Page actions.
  void cmdAddSound_Click();
  void cmdTestSound_Click();
  void cmdTestApp_Click();
  void lblNoticParameters_Click();
  void lblID3TagParameters_Click();
  void lblParameters_Click();
  void cmdEditTargetFormat_Click();
  void lblMoreAdvancedOptions_Click();
  void cmdSelectPath_Click();
  void lblOpenDestinationDestinationFolder_Click();
  void picColor_Click();
  void picTextColor_Click();

  // The window itself.
  QWidget* picTitle;
  QLabel* lblTitle;
  cTreeView* cTreeView1;
  cImageList* imgMenu;
  QPushButton* cmdOk;
  QPushButton* cmdCancel;
  QLabel* lblAudioDevice;
  QComboBox* cboDevices;
  QCheckBox* chkDontSaveSilenceFile;
  // Pages.
  QWidget* froGeneral;
  QWidget* froEvents;
  QWidget* froView;
  QWidget* froTags;
  QWidget* froAdvanced;
  // General.
  ClickLabel* lblParameters;
  QComboBox* cboFileName;
  QComboBox* cboTargetFormat;
  QPushButton* cmdEditTargetFormat;
  QCheckBox* chkGoToNextItem;
  QCheckBox* chkClearOnExit;
  QCheckBox* chkSelectTheLastItem;
  QCheckBox* chkAutoFreeDB;
  ClickLabel* lblMoreAdvancedOptions;
  // Events.
  QCheckBox* chkPlaySound;
  // Shows the sound's file name; its "Tag" property holds the full path.
  QPlainTextEdit* txtPlayAtEnd;
  QPushButton* cmdAddSound;
  QPushButton* cmdTestSound;
  QCheckBox* chkNoticeApp;
  QPlainTextEdit* txtAppNotice;
  ClickLabel* lblNoticParameters;
  QPushButton* cmdTestApp;
  QCheckBox* chkOpenDestFolder;
  QCheckBox* chkTurnOffComputer;
  // View.
  QCheckBox* chkDisplayTitle;
  QCheckBox* chkDisplayGridHotTrack;
  QCheckBox* chkDisplayPlayer;
  QCheckBox* chkDisplayGridLine;
  QCheckBox* chkDisplayAudioGraph;
  QCheckBox* chkMenuXPStyle;
  ClickLabel* picColor;
  ClickLabel* picTextColor;
  // ID3 Tags.
  QCheckBox* chkCopyID3FromSource;
  QLabel* lblTagArtist;
  QLabel* lblTagSong;
  QLabel* lblTagAlbum;
  QLabel* lblTagGenre;
  QLabel* lblTagTrack;
  QLabel* lblTagYear;
  QLabel* lblTagComment;
  ClickLabel* lblID3TagParameters;
  QLineEdit* txtTagArtist;
  QLineEdit* txtTagSong;
  QLineEdit* txtTagAlbum;
  QLineEdit* txtTagGenre;
  QLineEdit* txtTagTrack;
  QLineEdit* txtTagYear;
  QPlainTextEdit* txtTagComment;
  // Advanced.
  ClickLabel* lblOpenDestinationDestinationFolder;
  QComboBox* txtToPath;
  QPushButton* cmdSelectPath;
  QCheckBox* chkDisplayMSGWhenErase;
  QCheckBox* chkDisplayMSGWhenExit;
  QCheckBox* chkSaveLogWhenExit;
  QCheckBox* chkRunWhenWinStarts;
  QCheckBox* chkAutoUpdate;
  QCheckBox* chkDisplayLiveUpdateWindow;

 protected:
  void Form_Load() override;
  void Form_Unload(int& Cancel) override;
  void Form_Resize() override;

 private:
  void buildWindow();
  void buildGeneralPage();
  void buildEventsPage();
  void buildViewPage();
  void buildTagsPage();
  void buildAdvancedPage();
  void connectHandlers();
  void BuildPageTree();
  void HideAllPages();
  void LoadFileNameFormats();
  void EnableDefaultTagFields();
  void EnableNoticeAppFields();
  void EnablePlaySoundFields();
  void cTreeView1_SelectionChanged();
  void setPlayAtEnd(const QString& path);
  void setTitleColors(long back, long fore);
  void storeOptions();
  void applyItemsListFolder();
  void showLegend(int section);

  RegistryRoutines settings_;
};
