// The CD-database control: looks the disc in a drive up on a CDDB server
// (cddbp, protocol level 6, UTF-8) on a worker thread and reports the disc's
// artist, album and track titles as events on the UI thread. The disc ID comes
// from the drive's table of contents. Several matches: the first exact one.
#pragma once
#include <QObject>
#include <QString>
#include <memory>

// Error codes of the Error event. Every error ends the lookup.
enum FreeDbErrorCode : long {
  FreeDbErrLookup = 2,
};

class cFreeDB : public QObject {
  Q_OBJECT
 public:
  explicit cFreeDB(QObject* parent = nullptr);
  ~cFreeDB() override;

  // A real connection check of ServerHost:ServerPort with a short time-out.
  bool IsConnected() const;
  // The drive name, "D:".
  void SelectDrive(const QString& drive);
  // Seconds the whole lookup may take, the server's answers included.
  long Timeout() const { return timeout_; }
  void SetTimeout(long seconds) { timeout_ = seconds; }
  QString ServerHost() const { return serverHost_; }
  void SetServerHost(const QString& host) { serverHost_ = host; }
  int ServerPort() const { return serverPort_; }
  void SetServerPort(int port) { serverPort_ = port; }
  QString UserName() const { return userName_; }
  void SetUserName(const QString& name) { userName_ = name; }
  QString HelloHostName() const { return helloHostName_; }
  void SetHelloHostName(const QString& name) { helloHostName_ = name; }
  QString ClientName() const { return clientName_; }
  void SetClientName(const QString& name) { clientName_ = name; }
  QString ClientVersion() const { return clientVersion_; }
  void SetClientVersion(const QString& version) { clientVersion_ = version; }

  // Starts the lookup and returns; a lookup still running is dropped first.
  void StartQuery();
  // Drops the running lookup: no further events.
  void Disconnect();
  void CloseLookup();

 signals:
  // A match was found; the entry follows.
  void Notify();
  void Error(long code, const QString& text);
  void StateChanged(const QString& state);
  void Message(const QString& text);
  void ArtistFound(const QString& artist);
  void AlbumFound(const QString& album);
  void TrackInfo(const QString& artist, int track, const QString& title);

 private:
  struct Lookup;
  std::shared_ptr<Lookup> lookup_;
  QString drive_;
  long timeout_ = 20;
  QString serverHost_ = "gnudb.gnudb.org";
  int serverPort_ = 8880;
  QString userName_ = "clsCDDB";
  QString helloHostName_ = "localhost";
  QString clientName_ = "clsCDDB";
  QString clientVersion_ = "v0.5";
};
