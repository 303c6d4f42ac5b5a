#include "settings/OptionValues.h"

long g_lAudioDevice = 0;
QString g_sDefaultTargetFormat;
QString g_sItemsListFolder;
bool g_bSelectTheLastItem = false;
bool g_bAutoFreeDB = false;
QString g_sDefaultFileNameFormat;
bool g_bDisplayMSGWhenExit = false;
bool g_bDisplayMSGWhenErase = false;
bool g_bGoToNextItem = false;
bool g_bDisplayPlayer = false;
bool g_bClearOnExit = false;
bool g_bDisplayAudioGraph = false;
bool g_bMenuXPStyle = false;
bool g_bDisplayGridHotTrack = false;
bool g_bDisplayTitle = false;
bool g_bDisplayGridLine = false;
bool g_bOpenDestFolder = false;
bool g_bTurnOffComputer = false;
bool g_bPlaySound = false;
QString g_sPlayAtEndFile;
bool g_bNoticeApp = false;
QString g_sAppNotice;
bool g_bCopyID3FromSource = false;
QString g_sTagArtist, g_sTagSong, g_sTagAlbum, g_sTagTrack, g_sTagGenre, g_sTagYear, g_sTagComment;
bool g_bAddFilesCancel = false;

const char* const kBuiltInFileNameFormats[6] = {
    "[file_name].[dest_extension]",
    "[file_name].[source_extension].[dest_extension]",
    "[file_name]_[123].[dest_extension]",
    "[file_name]_[123].[source_extension].[dest_extension]",
    "[123].[dest_extension]",
    "[123].[source_extension].[dest_extension]",
};

