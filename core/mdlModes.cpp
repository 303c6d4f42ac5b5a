#include "core/mdlModes.h"

#include "platform/Services.h"

QString g_sAppName, g_sAppVersion, g_sAppFullVersion, g_sAppDescription, g_sVendorKey;
QString g_sAppSite, g_sAppHomePage, g_sAppSupportPage;
QString g_sFormBackColor, g_sBackPicture, g_sTitlePicture, g_sToolbarPicture, g_sFeaturedTool;

long lAppIncConverter = 0, lAppIncJoin = 0, lAppIncSplit = 0, lAppIncMicRec = 0, lAppIncEditor = 0;
long lAppIncAudioBurner = 0, lAppIncCDRipper = 0, lAppIncMP3TagsEditor = 0, lAppIncMP3Burner = 0;
long lAppIncWMABurner = 0, lAppIncACMConverter = 0, lAppIncItemsLists = 0, lAppIncTree = 0;
long lAppIncTTS = 0;

bool g_bSplashShown = false;
bool g_bExiting = false;

namespace {
struct Switch {
  const char* name;
  long* value;
};
const Switch kSwitches[] = {
    {"lAppIncConverter", &lAppIncConverter},     {"lAppIncJoin", &lAppIncJoin},
    {"lAppIncSplit", &lAppIncSplit},             {"lAppIncMicRec", &lAppIncMicRec},
    {"lAppIncEditor", &lAppIncEditor},           {"lAppIncAudioBurner", &lAppIncAudioBurner},
    {"lAppIncCDRipper", &lAppIncCDRipper},       {"lAppIncMP3TagsEditor", &lAppIncMP3TagsEditor},
    {"lAppIncMP3Burner", &lAppIncMP3Burner},     {"lAppIncWMABurner", &lAppIncWMABurner},
    {"lAppIncACMConverter", &lAppIncACMConverter}, {"lAppIncItemsLists", &lAppIncItemsLists},
    {"lAppIncTree", &lAppIncTree},               {"lAppIncTTS", &lAppIncTTS},
};
}  // namespace

namespace mdlModes {
void InitAppMode() {
  g_sAppName = "Tessory";
  g_sAppVersion = "3.1";
  g_sAppFullVersion = "3.1.2";
  g_sAppDescription = "Burn, Rip, Convert, Join, Split and Edit Audio/MP3/WMA CD and Audio Files.";
  g_sVendorKey = "TessorySoft";
  g_sAppSite = "https://tessory.example.org";
  g_sAppHomePage = g_sAppSite + "/";
  g_sAppSupportPage = g_sAppHomePage + "support.html";
  g_sFormBackColor = "16316664";
  g_sBackPicture.clear();
  g_sTitlePicture.clear();
  g_sToolbarPicture.clear();
  g_sFeaturedTool = "lAppIncAudioBurner";
  SetAppTitle(WindowTitle());
  for (const Switch& s : kSwitches) *s.value = 1;
  lAppIncTTS = 0;
}

QString WindowTitle() { return g_sAppName + " " + g_sAppVersion; }

QString SettingsKeyRoot() { return "SOFTWARE\\" + g_sVendorKey + "\\" + g_sAppName; }

long ToolSwitch(const QString& name) {
  for (const Switch& s : kSwitches)
    if (name == s.name) return *s.value;
  return 0;
}
}  // namespace mdlModes
