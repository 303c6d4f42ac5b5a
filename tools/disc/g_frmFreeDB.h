// "FreeDB": looks the titles of the disc in the open drive up in the CD
// database and writes them, with the track artists and the album, into that
// disc's rows of the main grid; at the last track the drive node takes the
// artist and album as its caption. The window hides itself once a match is
// found and goes on writing the results while hidden.
#pragma once
#include "platform/Form.h"

class cFreeDB;
class QLabel;
class QPushButton;

class g_frmFreeDB : public Form {
  Q_OBJECT
 public:
  g_frmFreeDB();

  // Checks the connection and starts the lookup for the selected drive node's
  // disc. False (after telling the user, with the window unloaded) without a
  // connection; the caller then shows nothing.
  bool GetFreeDB();

  QWidget* picTitle;
  QLabel* lblTitle;
  QLabel* lblCurrentTrack;
  QLabel* lblArtist;
  QLabel* lblAlbumName;
  QPushButton* cmdAbort;
  cFreeDB* cFreeDB1;

  void cmdAbort_Click();
  void cFreeDB1_Notify();
  void cFreeDB1_Error(long code, const QString& text);
  void cFreeDB1_StateChanged(const QString& state);
  void cFreeDB1_Message(const QString& text);
  void cFreeDB1_ArtistFound(const QString& artist);
  void cFreeDB1_AlbumFound(const QString& album);
  void cFreeDB1_TrackInfo(const QString& artist, int track, const QString& title);

  // Where the lookup finds its server: settings "sFreeDBServer" and
  // "lFreeDBPort" of the "General" section.
  static QString ServerHostSetting();
  static int ServerPortSetting();

 protected:
  void Form_Load() override;
  void Form_Unload(int& Cancel) override;

 private:
  void FinishLookup();
  // The drive node the lookup is for, and its number of tracks, so results
  // never land in a list the user opened meanwhile.
  QString m_sDriveKey;
  long m_lTracks = 0;
};
