#include "CddbServer.h"

#include <QTcpSocket>
#include <QTimer>

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
      if (holdRead)
        heldReads_.append({socket, key});
      else if (trickleMs > 0)
        Trickle(socket, ReadReply(key));
      else
        socket->write(ReadReply(key));
      continue;
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

QByteArray CddbServer::ReadReply(const QString& key) const {
  if (!entries.contains(key)) return ("401 " + key + " No such CD entry in database.\r\n").toUtf8();
  return ("210 " + key + " CD database entry follows (until terminating `.')\r\n").toUtf8() +
         entries[key].join("\r\n") + "\r\n.\r\n";
}

void CddbServer::Trickle(QTcpSocket* socket, const QByteArray& reply) {
  auto* timer = new QTimer(socket);
  auto lines = std::make_shared<QByteArrayList>(reply.split('\n'));
  QObject::connect(timer, &QTimer::timeout, socket, [socket, timer, lines] {
    if (lines->size() <= 1) return timer->stop();
    socket->write(lines->takeFirst() + "\n");
  });
  timer->start(trickleMs);
}

int CddbServer::OpenConnections() const {
  int open = 0;
  for (const QTcpSocket* socket : findChildren<QTcpSocket*>())
    open += socket->state() == QAbstractSocket::ConnectedState ? 1 : 0;
  return open;
}

void CddbServer::ReleaseRead() {
  holdRead = false;
  for (const auto& [socket, key] : heldReads_) socket->write(ReadReply(key));
  heldReads_.clear();
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

namespace {
int LeadInFrames(qint64 bytes) { return int(bytes / DiscImage::kSectorBytes + 150); }
}  // namespace

QByteArrayList CddbServer::Entry(const DiscImage::Image& image, const QString& discId, const QString& artist,
                                 const QString& album, const QStringList& titles) {
  QList<int> offsets;
  for (size_t t = 0; t + 1 < image.starts.size(); ++t) offsets << LeadInFrames(image.starts[t]);
  return Entry(discId, offsets, LeadInFrames(image.starts.back()) / 75, artist, album, titles);
}

QString CddbServer::DiscId(const DiscImage::Image& image) {
  int n = 0;
  for (size_t t = 0; t + 1 < image.starts.size(); ++t)
    for (int s = LeadInFrames(image.starts[t]) / 75; s > 0; s /= 10) n += s % 10;
  const int length = LeadInFrames(image.starts.back()) / 75 - LeadInFrames(image.starts[0]) / 75;
  const quint32 id = quint32(n % 255) << 24 | quint32(length) << 8 | quint32(image.starts.size() - 1);
  return QString("%1").arg(id, 8, 16, QChar('0'));
}
