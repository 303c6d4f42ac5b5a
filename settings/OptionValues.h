// The process-wide option values: filled by the options window when it loads,
// after OK and on Cancel; read directly by every other window.
#pragma once
#include <QString>

extern bool g_bClearOnExit;
extern long g_lAudioDevice;
extern QString g_sItemsListFolder;
extern QString g_sDefaultFileNameFormat;
extern QString g_sDefaultTargetFormat;
extern bool g_bAutoFreeDB;
extern bool g_bSelectTheLastItem;
extern bool g_bDisplayMSGWhenExit;
extern bool g_bDisplayMSGWhenErase;
extern bool g_bGoToNextItem;
extern bool g_bMenuXPStyle;
extern bool g_bDisplayAudioGraph;
extern bool g_bDisplayPlayer;
extern bool g_bDisplayGridLine;
extern bool g_bDisplayGridHotTrack;
extern bool g_bDisplayTitle;
extern long g_lTitleBackColor;
extern long g_lTitleForeColor;
// End-of-job defaults.
extern bool g_bOpenDestFolder;
extern bool g_bTurnOffComputer;
extern bool g_bPlaySound;
extern bool g_bNoticeApp;
extern QString g_sPlayAtEndFile;
extern QString g_sAppNotice;
// Tags.
extern bool g_bCopyID3FromSource;
extern QString g_sTagArtist;
extern QString g_sTagSong;
extern QString g_sTagAlbum;
extern QString g_sTagGenre;
extern QString g_sTagTrack;
extern QString g_sTagYear;
extern QString g_sTagComment;
// Set by the add-files window's Cancel, tested before each file.
extern bool g_bAddFilesCancel;
