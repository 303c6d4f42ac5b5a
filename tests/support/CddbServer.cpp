#include "CddbServer.h"

#include <QTcpSocket>

CddbServer::CddbServer() {
  server_.listen(QHostAddress::LocalHost, 0);
  QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      socket->setParent(this);
      if (silent) continue;
      socket->write("201 loopback CDDBP server v1.5PL0 ready at Thu Dec 10 17:00:00 2026\r\n");
      QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Serve(socket); });
    }
  });
}

void CddbServer::Serve(QTcpSocket* socket) {
  while (socket->canReadLine()) {
    const QString line = QString::fromUtf8(socket->readLine()).trimmed();
    commands << line;
    const QStringList words = line.split(' ', Qt::SkipEmptyParts);
    QString reply;
    if (line.startsWith("cddb hello")) {
      reply = "200 Hello and welcome\r\n";
    } else if (line.startsWith("proto")) {
      reply = "201 OK, CDDB protocol level now: " + words.value(1) + "\r\n";
    } else if (line.startsWith("cddb query")) {
      reply = queryReply;
    } else if (line.startsWith("cddb read") && words.size() == 4) {
      const QString key = words[2] + " " + words[3];
      if (entries.contains(key)) {
        socket->write(("210 " + key + " CD database entry follows (until terminating `.')\r\n").toUtf8() +
                      entries[key].join("\r\n") + "\r\n.\r\n");
        continue;
      }
      reply = "401 " + key + " No such CD entry in database.\r\n";
    } else if (line == "quit") {
      socket->write("230 Goodbye\r\n");
      socket->disconnectFromHost();
      return;
    } else {
      reply = "500 Unrecognized command.\r\n";
    }
    socket->write(reply.toUtf8());
  }
}

QByteArrayList CddbServer::Entry(const QString& discId, const QList<int>& offsets, int seconds,
                                 const QString& artist, const QString& album, const QStringList& titles) {
  QStringList lines{"# xmcd", "#", "# Track frame offsets:"};
  for (int o : offsets) lines << "#\t" + QString::number(o);
  lines << "#" << QString("# Disc length: %1 seconds").arg(seconds) << "#" << "# Revision: 1" << "#";
  lines << "DISCID=" + discId << "DTITLE=" + artist + " / " + album << "DYEAR=1999" << "DGENRE=Rock";
  for (int i = 0; i < titles.size(); ++i) lines << QString("TTITLE%1=%2").arg(i).arg(titles[i]);
  lines << "EXTD=";
  for (int i = 0; i < titles.size(); ++i) lines << QString("EXTT%1=").arg(i);
  lines << "PLAYORDER=";
  QByteArrayList bytes;
  for (const QString& l : lines) bytes << l.toUtf8();
  return bytes;
}
