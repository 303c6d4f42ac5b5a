// Product constants and tool switches, fixed once at start-up.
#pragma once
#include <QString>

extern QString g_sAppName;
extern QString g_sAppVersion;
extern QString g_sAppFullVersion;
extern QString g_sAppDescription;
extern QString g_sVendorKey;
extern QString g_sAppSite;
extern QString g_sAppHomePage;
extern QString g_sAppSupportPage;
extern QString g_sFormBackColor;
extern QString g_sBackPicture;
extern QString g_sTitlePicture;
extern QString g_sToolbarPicture;
extern QString g_sFeaturedTool;

extern long lAppIncConverter;
extern long lAppIncJoin;
extern long lAppIncSplit;
extern long lAppIncMicRec;
extern long lAppIncEditor;
extern long lAppIncAudioBurner;
extern long lAppIncCDRipper;
extern long lAppIncMP3TagsEditor;
extern long lAppIncMP3Burner;
extern long lAppIncWMABurner;
extern long lAppIncACMConverter;
extern long lAppIncItemsLists;
extern long lAppIncTree;
extern long lAppIncTTS;

extern bool g_bSplashShown;
extern bool g_bExiting;

namespace mdlModes {
// Writes the product constants, the application title and the tool switches.
void InitAppMode();
// The window title: the product name, a blank and the version.
QString WindowTitle();
// "SOFTWARE\<vendor>\<product>", the settings key below HKEY_LOCAL_MACHINE.
QString SettingsKeyRoot();
// The value of a tool switch by its name ("lAppIncAudioBurner"); 0 when unknown.
long ToolSwitch(const QString& name);
}  // namespace mdlModes
