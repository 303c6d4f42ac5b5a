#include "platform/cd/cFreeDB.h"

#include <QFileInfo>
#include <QTcpSocket>
#include <QThread>
#include <functional>
#include <mutex>
#include <optional>

#include "backend/cd/CdDriveTable.h"
#include "backend/cd/CddbClient.h"

namespace {
constexpr int kConnectCheckMs = 3000;
constexpr long kFramesPerSecond = 75;
constexpr long kLeadIn = 150;  // frames before LSN 0 that disc IDs count

// What the worker needs, copied from the control when the lookup starts.
struct Query {
  std::optional<CdDriveTable::Drive> drive;
  QString driveName;
  long timeout;
  Cddb::Greeting greeting;
};

// Empty when the drive holds no disc; why then says so unless the drive
// could not be opened for a reason of its own.
std::optional<Cddb::Toc> ReadToc(const CdDriveTable::Drive& drive, QString* why) {
  if (drive.image && !QFileInfo::exists(drive.device)) return std::nullopt;
  CdIo_t* cdio = CdDriveTable::Open(drive, why);
  if (!cdio) return std::nullopt;
  Cddb::Toc toc;
  const track_t first = cdio_get_first_track_num(cdio);
  const track_t count = cdio_get_num_tracks(cdio);
  const lsn_t leadOut = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
  if (first != CDIO_INVALID_TRACK && count != CDIO_INVALID_TRACK && leadOut != CDIO_INVALID_LSN) {
    for (track_t t = first; t < first + count; ++t) toc.offsets.push_back(int(cdio_get_track_lsn(cdio, t) + kLeadIn));
    toc.seconds = int((leadOut + kLeadIn) / kFramesPerSecond);
  }
  cdio_destroy(cdio);
  if (toc.offsets.empty()) return std::nullopt;
  return toc;
}
}  // namespace

// One lookup: the worker posts its events through it while the control still wants them.
struct cFreeDB::Lookup {
  std::mutex mutex;
  cFreeDB* target = nullptr;  // null once the lookup was dropped

  void Post(std::function<void(cFreeDB*)> fn, const std::shared_ptr<Lookup>& self) {
    std::lock_guard<std::mutex> lock(mutex);
    if (!target) return;
    QMetaObject::invokeMethod(
        target, [self, fn = std::move(fn)] {
          if (self->target) fn(self->target);
        },
        Qt::QueuedConnection);
  }
  void Drop() {
    std::lock_guard<std::mutex> lock(mutex);
    target = nullptr;
  }
  bool Dropped() {
    std::lock_guard<std::mutex> lock(mutex);
    return !target;
  }
};

namespace {
using PostFn = std::function<void(std::function<void(cFreeDB*)>)>;

void Fail(const PostFn& post, const QString& text) {
  post([text](cFreeDB* c) { emit c->Error(FreeDbErrLookup, text); });
}

void State(const PostFn& post, const QString& state) {
  post([state](cFreeDB* c) { emit c->StateChanged(state); });
}

void Report(const Cddb::Entry& entry, const PostFn& post) {
  post([entry](cFreeDB* c) {
    emit c->Message(entry.artist + " / " + entry.album);
    emit c->ArtistFound(entry.artist);
    emit c->AlbumFound(entry.album);
  });
  for (size_t t = 0; t < entry.tracks.size(); ++t) {
    const Cddb::Track track = entry.tracks[t];
    const int number = int(t + 1);
    post([track, number](cFreeDB* c) { emit c->TrackInfo(track.artist, number, track.title); });
  }
}

// The whole lookup, from reading the disc to the last title, ends within the
// time-out: a server that answers slowly, line by line, cannot stretch it.
void RunLookup(const Query& q, const PostFn& post, const std::function<bool()>& dropped) {
  const Cddb::Limit limit{QDeadlineTimer(std::chrono::seconds(std::max(1L, q.timeout))), dropped};
  State(post, "Reading the CD");
  QString why = "There is no audio CD in drive " + q.driveName + ".";
  const std::optional<Cddb::Toc> toc = q.drive ? ReadToc(*q.drive, &why) : std::nullopt;
  if (!toc) return Fail(post, why);
  State(post, "Querying " + q.greeting.host);
  auto matched = [&] {
    post([](cFreeDB* c) { emit c->Notify(); });
    State(post, "Reading the entry");
  };
  QString error;
  const std::optional<QByteArrayList> lines = Cddb::Fetch(q.greeting, *toc, limit, matched, &error);
  if (!lines) return Fail(post, error);
  const std::optional<Cddb::Entry> entry = Cddb::ParseEntry(*lines, toc->offsets.size(), &error);
  if (!entry) return Fail(post, error);
  Report(*entry, post);
}
}  // namespace

cFreeDB::cFreeDB(QObject* parent) : QObject(parent) {}

cFreeDB::~cFreeDB() { Disconnect(); }

bool cFreeDB::IsConnected() const {
  QTcpSocket socket;
  socket.connectToHost(serverHost_, quint16(serverPort_));
  return socket.waitForConnected(kConnectCheckMs);
}

void cFreeDB::SelectDrive(const QString& drive) { drive_ = drive; }

void cFreeDB::StartQuery() {
  Disconnect();
  Query q{std::nullopt, drive_, timeout_,
          {serverHost_, serverPort_, userName_, helloHostName_, clientName_, clientVersion_}};
  for (const CdDriveTable::Drive& d : CdDriveTable::Drives())
    if (d.name.compare(drive_, Qt::CaseInsensitive) == 0) q.drive = d;
  lookup_ = std::make_shared<Lookup>();
  lookup_->target = this;
  std::shared_ptr<Lookup> lookup = lookup_;
  // The worker is never waited for: a dropped lookup's events go nowhere, and
  // it stops at its next look at the flag. A QThread, so that its socket can
  // wait for data.
  QThread* worker = QThread::create([q, lookup] {
    RunLookup(
        q, [lookup](std::function<void(cFreeDB*)> fn) { lookup->Post(std::move(fn), lookup); },
        [lookup] { return lookup->Dropped(); });
  });
  connect(worker, &QThread::finished, worker, &QObject::deleteLater);
  worker->start();
}

void cFreeDB::Disconnect() {
  if (lookup_) lookup_->Drop();
  lookup_.reset();
}

void cFreeDB::CloseLookup() { Disconnect(); }
