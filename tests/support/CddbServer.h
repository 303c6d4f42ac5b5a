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

class CddbServer : public QObject {
 public:
  CddbServer();
  quint16 Port() const { return server_.serverPort(); }
  // The full reply to "cddb query", CR LF line ends included.
  QString queryReply = "202 No match found\r\n";
  // "category discid" to the entry's lines as sent (without the closing ".").
  QMap<QString, QByteArrayList> entries;
  bool silent = false;
  QStringList commands;

  // An entry's lines for a disc (its tracks' frame offsets and length in
  // seconds): DTITLE from artist and album, one TTITLE per title.
  static QByteArrayList Entry(const QString& discId, const QList<int>& offsets, int seconds, const QString& artist,
                              const QString& album, const QStringList& titles);

 private:
  void Serve(class QTcpSocket* socket);
  QTcpServer server_;
};
