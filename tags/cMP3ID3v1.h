// The ID3v1 tag of one MP3 file: the 128-byte block at the end of the file,
// written in the v1.1 layout. Also the owner of the genre table.
#pragma once
#include <QString>
#include <cstdint>

#include "tags/TagError.h"

class QIODevice;
class QFile;

class cMP3ID3v1 {
 public:
  QString MP3File() const { return m_sMP3File; }
  // Stores the path and reads the file's tag; false when the file cannot be
  // read (LastError tells why; the tag properties are then reset).
  bool SetMP3File(const QString& path);
  // Writes the tag properties into the file; false on failure (LastError).
  bool Update();
  // Reads the tag from an open device (the file's whole content).
  bool ReadTag(QIODevice& device);
  // Where the tag goes in the open file: *at is the old tag's place or the
  // file's end, *block the 128 bytes to write there (none for a file too
  // short to hold a tag). False (LastError) for an empty file.
  bool Placement(QFile& file, qint64* at, QByteArray* block);

  bool HasID3v1Tag() const { return m_bHasTag; }
  QString Title() const { return m_sTitle; }
  void SetTitle(const QString& v) { m_sTitle = v; }
  QString Artist() const { return m_sArtist; }
  void SetArtist(const QString& v) { m_sArtist = v; }
  QString Album() const { return m_sAlbum; }
  void SetAlbum(const QString& v) { m_sAlbum = v; }
  QString Year() const { return m_sYear; }
  void SetYear(const QString& v) { m_sYear = v; }
  uint8_t Track() const { return m_bytTrack; }
  void SetTrack(uint8_t v) { m_bytTrack = v; }
  QString Comment() const { return m_sComment; }
  void SetComment(const QString& v) { m_sComment = v; }
  uint8_t Genre() const { return m_bytGenre; }
  void SetGenre(uint8_t v) { m_bytGenre = v; }

  // The name of a genre number; "" for a number without one.
  static QString GenreName(uint8_t genre);

  const TagError& LastError() const { return m_error; }

 private:
  void ResetTag();
  bool ReadTagV1();
  bool WriteTagV1();
  QByteArray BuildBlock() const;
  static QString StripNulls(const QByteArray& field);
  bool Fail(const TagError& error);

  QString m_sMP3File;
  bool m_bHasTag = false;
  QString m_sTitle, m_sArtist, m_sAlbum, m_sYear, m_sComment;
  uint8_t m_bytTrack = 0;
  uint8_t m_bytGenre = 0;
  TagError m_error;
};
