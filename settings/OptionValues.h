// The process-wide option values: filled by the options window when it loads,
// after OK and on Cancel; read directly by every other window. Before the
// options window has loaded every value is empty, 0 or false.
#pragma once
#include <QString>

#include "core/TitleColors.h"  // g_lTitleBackColor, g_lTitleForeColor

// General.
extern long g_lAudioDevice;
extern QString g_sDefaultTargetFormat;
// The items-lists folder; always ends with "/".
extern QString g_sItemsListFolder;
extern bool g_bSelectTheLastItem;
extern bool g_bAutoFreeDB;
extern QString g_sDefaultFileNameFormat;
// The output file-name templates every template box offers when no
// "FileNameFormats.txt" replaces them.
extern const char* const kBuiltInFileNameFormats[6];
extern bool g_bDisplayMSGWhenExit;
extern bool g_bDisplayMSGWhenErase;
extern bool g_bGoToNextItem;
extern bool g_bDisplayPlayer;
extern bool g_bClearOnExit;
extern bool g_bDisplayAudioGraph;
extern bool g_bMenuXPStyle;
extern bool g_bDisplayGridHotTrack;
extern bool g_bDisplayTitle;
extern bool g_bDisplayGridLine;
// End-of-job defaults.
extern bool g_bOpenDestFolder;
extern bool g_bTurnOffComputer;
extern bool g_bPlaySound;
extern QString g_sPlayAtEndFile;
extern bool g_bNoticeApp;
extern QString g_sAppNotice;
// Default tags; the templates may hold tag placeholders.
extern bool g_bCopyID3FromSource;
extern QString g_sTagArtist;
extern QString g_sTagSong;
extern QString g_sTagAlbum;
extern QString g_sTagTrack;
extern QString g_sTagGenre;
extern QString g_sTagYear;
extern QString g_sTagComment;
// Set by the add-files window's Cancel, tested before each file.
extern bool g_bAddFilesCancel;
