#include "settings/OptionValues.h"

bool g_bClearOnExit = false;
long g_lAudioDevice = -1;
QString g_sItemsListFolder;
QString g_sDefaultFileNameFormat;
QString g_sDefaultTargetFormat;
bool g_bAutoFreeDB = false;
bool g_bSelectTheLastItem = false;
bool g_bDisplayMSGWhenExit = false;
bool g_bDisplayMSGWhenErase = false;
bool g_bGoToNextItem = false;
bool g_bMenuXPStyle = false;
bool g_bDisplayAudioGraph = true;
bool g_bDisplayPlayer = true;
bool g_bDisplayGridLine = true;
bool g_bDisplayGridHotTrack = true;
bool g_bDisplayTitle = true;
long g_lTitleBackColor = 0;
long g_lTitleForeColor = 0;
bool g_bOpenDestFolder = false;
bool g_bTurnOffComputer = false;
bool g_bPlaySound = false;
bool g_bNoticeApp = false;
QString g_sPlayAtEndFile;
QString g_sAppNotice;
bool g_bCopyID3FromSource = true;
QString g_sTagArtist, g_sTagSong, g_sTagAlbum, g_sTagGenre, g_sTagTrack, g_sTagYear, g_sTagComment;
bool g_bAddFilesCancel = false;
