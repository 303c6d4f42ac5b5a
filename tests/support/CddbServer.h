// A loopback CDDB server (cddbp) for the lookup tests: answers the greeting,
// the protocol level, "cddb query" with a scripted reply and "cddb read" from
// its entries; or stays silent after accepting the connection. It records
// every command it receives.
#pragma once
#include <QByteArrayList>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QTcpServer>

#include "DiscImage.h"

class CddbServer : public QObject {
 public:
  CddbServer();
  quint16 Port() const { return server_.serverPort(); }
  // The full reply to "cddb query", CR LF line ends included.
  QString queryReply = "202 No match found\r\n";
  // "category discid" to the entry's lines as sent (without the closing ".").
  QMap<QString, QByteArrayList> entries;
  bool silent = false;
  // While set, "cddb read" gets its answer only at ReleaseRead.
  bool holdRead = false;
  // While above 0, "cddb read" is answered one line per this many ms.
  int trickleMs = 0;
  void ReleaseRead();
  // Connections the clients have not closed yet.
  int OpenConnections() const;
  QStringList commands;

  // An entry's lines for a disc (its tracks' frame offsets and length in
  // seconds): DTITLE from artist and album, one TTITLE per title.
  static QByteArrayList Entry(const QString& discId, const QList<int>& offsets, int seconds, const QString& artist,
                              const QString& album, const QStringList& titles);
  // The same for a generated disc image.
  static QByteArrayList Entry(const DiscImage::Image& image, const QString& discId, const QString& artist,
                              const QString& album, const QStringList& titles);
  // The disc ID the CDDB way, worked out here from the image's layout: from
  // each track's start and the disc's length in seconds, counting the
  // 2-second lead-in.
  static QString DiscId(const DiscImage::Image& image);

 private:
  void Serve(class QTcpSocket* socket);
  QByteArray ReadReply(const QString& key) const;
  void Trickle(class QTcpSocket* socket, const QByteArray& reply);
  QList<QPair<class QTcpSocket*, QString>> heldReads_;
  QTcpServer server_;
};
