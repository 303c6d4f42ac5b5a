// The ID3v2 tag of one MP3 file: an ordered set of frames, each identifier
// with one or more texts, and the properties the tags editor shows. Reads tags
// of versions 2.2, 2.3 and 2.4 and writes version 2.3.
#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "tags/TagError.h"

class QIODevice;
class QFile;
class cMP3ID3v1;

class cMP3ID3v2 {
 public:
  bool HasID3v2Tag() const { return m_lTagPosition > 0; }
  uint8_t ID3v2TagVersion() const { return m_bytTagVersion; }
  uint8_t TagVersion() const { return m_bytTagVersion; }

  long FrameCount() const { return long(m_colFrameIds.size()); }
  // The identifier at a position (1 is the first); "" and error 9 outside.
  QString Frame(long index);
  // Removes an identifier with all its texts, by identifier or by position;
  // false (error 5 or 9) when it is not held.
  bool RemoveFrame(const QString& frame);
  bool RemoveFrame(long index);
  long TagsInFrame(const QString& frame) const;
  void AddTag(const QString& frame, const QString& tag);
  // Removes text number tagIndex of the identifier; false (error 5) when not held.
  bool RemoveTag(const QString& frame, long tagIndex);

  QString ArtistURL() const { return m_props[pArtistURL]; }
  void SetArtistURL(const QString& v) { SetUrlFrame(pArtistURL, v); }
  QString BuyURL() const { return m_props[pBuyURL]; }
  void SetBuyURL(const QString& v) { SetUrlFrame(pBuyURL, v); }
  QString AudioURL() const { return m_props[pAudioURL]; }
  void SetAudioURL(const QString& v) { SetUrlFrame(pAudioURL, v); }
  QString Copyright() const { return m_props[pCopyright]; }
  void SetCopyright(const QString& v) { SetTextFrame(pCopyright, v); }
  QString Composer() const { return m_props[pComposer]; }
  void SetComposer(const QString& v) { SetTextFrame(pComposer, v); }
  QString OriginalArtist() const { return m_props[pOriginalArtist]; }
  void SetOriginalArtist(const QString& v) { SetTextFrame(pOriginalArtist, v); }
  QString LinkTo() const { return m_props[pLinkTo]; }
  void SetLinkTo(const QString& v);
  QString PlayCounter() const { return m_props[pPlayCounter]; }
  void SetPlayCounter(const QString& v) { SetTextFrame(pPlayCounter, v); }
  QString EncodedBy() const { return m_props[pEncodedBy]; }
  void SetEncodedBy(const QString& v) { SetTextFrame(pEncodedBy, v); }
  QString Title() const { return m_props[pTitle]; }
  void SetTitle(const QString& v) { SetTextFrame(pTitle, v); }
  QString Artist() const { return m_props[pArtist]; }
  void SetArtist(const QString& v) { SetTextFrame(pArtist, v); }
  QString Album() const { return m_props[pAlbum]; }
  void SetAlbum(const QString& v) { SetTextFrame(pAlbum, v); }
  QString Year() const { return m_props[pYear]; }
  void SetYear(const QString& v) { SetTextFrame(pYear, v); }
  QString Comment() const { return m_props[pComment]; }
  void SetComment(const QString& v) { SetNoteFrame(pComment, v); }
  QString Lyrics() const { return m_props[pLyrics]; }
  void SetLyrics(const QString& v) { SetNoteFrame(pLyrics, v); }
  uint8_t Genre() const { return m_bytGenre; }
  void SetGenre(uint8_t v);
  QString OtherGenreName() const { return m_props[pOtherGenreName]; }
  void SetOtherGenreName(const QString& v);
  QString Track() const { return m_props[pTrack]; }
  void SetTrack(const QString& v) { SetTextFrame(pTrack, v); }

  static QString GenreName(uint8_t genre);

  QString MP3File() const { return m_sMP3File; }
  // Stores the path and reads the file's tag; false when the file cannot be
  // read (LastError tells why; the object then holds no tag).
  bool SetMP3File(const QString& path);
  // Reads the tag from an open device (the file's whole content).
  bool ReadTag(QIODevice& device);
  // Writes the frame set into the file as a version 2.3 tag, and when given
  // the ID3v1 tag too, in one replacement of the file; false on failure
  // (LastError), the file then unchanged.
  bool Update(cMP3ID3v1* v1 = nullptr);
  // False (LastError) when the file cannot be opened or holds a tag whose end
  // is not known, so that Update would refuse it.
  bool CanReplaceTag();

  const TagError& LastError() const { return m_error; }

 private:
  enum Property {
    pArtistURL, pBuyURL, pAudioURL, pCopyright, pComposer, pOriginalArtist, pLinkTo, pPlayCounter,
    pEncodedBy, pTitle, pArtist, pAlbum, pYear, pComment, pLyrics, pOtherGenreName, pTrack, pCount
  };
  // One text of an identifier. A text read from a file, or set through a
  // property, keeps the frame's bytes and is written back exactly so.
  struct FrameText {
    QString text;
    QByteArray body;
    uint16_t flags = 0;
  };
  struct FrameEntry {
    QString id;
    std::vector<FrameText> texts;
  };

  static const char* FrameIdOf(Property p);
  void ResetTag();
  bool ReadTagV2();
  qint64 FindTagHeader(QIODevice& device);
  void ParseFrames(QIODevice& device, qint64 tagStart);
  void StoreFrame(const QString& id, const QByteArray& body, uint16_t flags);
  void ShowFrame(const QString& id, const QByteArray& body);
  void ParseGenre(const QString& text);
  FrameEntry* Find(const QString& frame);
  const FrameEntry* Find(const QString& frame) const;
  void Append(const QString& frame, FrameText text);
  void Erase(size_t position);
  void ReplaceFrame(const QString& frame, FrameText text);
  void SetTextFrame(Property p, const QString& v);
  void SetUrlFrame(Property p, const QString& v);
  void SetNoteFrame(Property p, const QString& v);
  static long MainNote(const FrameEntry& e, bool lyrics);
  void SetGenreFrame();
  // What ends the rewritten file: the bytes from at on are replaced by block.
  struct Tail {
    qint64 at = 0;
    QByteArray block;
  };
  bool WriteTagV2(cMP3ID3v1* v1);
  bool OpenOldTag(QFile& file, qint64* oldExtent);
  QByteArray BuildTag() const;
  bool RewriteFile(QFile& source, qint64 oldExtent, QByteArray tag, const Tail& tail);
  bool Fail(const TagError& error);

  QString m_sMP3File;
  qint64 m_lTagPosition = 0;
  uint8_t m_bytTagVersion = 0;
  QString m_props[pCount];
  uint8_t m_bytGenre = 255;
  // The identifiers in the order they were first added, each with its texts;
  // found by position or, through the index, by identifier in any letter case.
  std::vector<FrameEntry> m_colFrameIds;
  QHash<QString, size_t> m_colFrameIndex;
  // Whether the comment (0) and the lyrics (1) of the read are already shown.
  std::array<bool, 2> m_bNoteShown{};
  TagError m_error;
};
