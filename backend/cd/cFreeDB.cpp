#include "platform/cd/cFreeDB.h"

#include <cddb/cddb.h>
#include <cdio/cdio.h>

#include <QFileInfo>
#include <QTcpSocket>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "backend/cd/CdDriveTable.h"

namespace {
constexpr int kConnectCheckMs = 3000;
constexpr long kFramesPerSecond = 75;
constexpr long kLeadIn = 150;  // frames before LSN 0 that disc IDs count

// What the worker needs, copied from the control when the lookup starts.
struct Query {
  std::optional<CdDriveTable::Drive> drive;
  QString driveName;
  long timeout;
  QString host;
  int port;
  QString user, helloHost, client, version;
};

// The disc's table of contents as CDDB counts it: each track's start frame
// (lead-in included) and the disc's length in seconds.
struct Toc {
  std::vector<int> offsets;
  int seconds = 0;
};

std::optional<Toc> ReadToc(const CdDriveTable::Drive& drive) {
  if (drive.image && !QFileInfo::exists(drive.device)) return std::nullopt;
  CdIo_t* cdio = cdio_open(drive.device.toLocal8Bit().constData(), drive.image ? DRIVER_BINCUE : DRIVER_DEVICE);
  if (!cdio) return std::nullopt;
  Toc toc;
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

// Titles come from the network: undecodable bytes become U+FFFD (fromUtf8)
// and control characters blanks, so a grid cell or a file name never holds them.
QString Clean(const char* text) {
  QString s = QString::fromUtf8(text ? text : "");
  for (QChar& c : s)
    if (c.unicode() < 0x20 || c.unicode() == 0x7f) c = u' ';
  return s;
}

void Quiet(cddb_log_level_t, const char*) {}

QString Why(cddb_conn_t* conn) {
  // libcddb leaves its error at "ok" when the server fell silent or hung up.
  const cddb_error_t e = cddb_errno(conn);
  return e == CDDB_ERR_OK ? QString("the server did not answer") : QString(cddb_error_str(e));
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
};

namespace {
using PostFn = std::function<void(std::function<void(cFreeDB*)>)>;

void Fail(const PostFn& post, const QString& text) {
  post([text](cFreeDB* c) { emit c->Error(FreeDbErrLookup, text); });
}

void State(const PostFn& post, const QString& state) {
  post([state](cFreeDB* c) { emit c->StateChanged(state); });
}

cddb_conn_t* Connection(const Query& q) {
  cddb_conn_t* conn = cddb_new();
  if (!conn) return nullptr;
  cddb_set_server_name(conn, q.host.toUtf8().constData());
  cddb_set_server_port(conn, q.port);
  // libcddb counts whole seconds of the clock, which can cut a wait by up to
  // one second: one more keeps the time-out at least as long as asked.
  cddb_set_timeout(conn, unsigned(std::max(1L, q.timeout) + 1));
  cddb_http_disable(conn);
  cddb_cache_disable(conn);
  cddb_set_client(conn, q.client.toUtf8().constData(), q.version.toUtf8().constData());
  cddb_set_email_address(conn, (q.user + "@" + q.helloHost).toUtf8().constData());
  return conn;
}

cddb_disc_t* DiscOf(const Toc& toc) {
  cddb_disc_t* disc = cddb_disc_new();
  for (int offset : toc.offsets) {
    cddb_track_t* track = cddb_track_new();
    cddb_track_set_frame_offset(track, offset);
    cddb_disc_add_track(disc, track);
  }
  cddb_disc_set_length(disc, unsigned(toc.seconds));
  cddb_disc_calc_discid(disc);
  return disc;
}

// Queries the server and returns the entry to read: the first match with the
// disc's own ID, else the first match. Null with the reason in error.
cddb_disc_t* Match(cddb_conn_t* conn, cddb_disc_t* disc, QString* error) {
  const unsigned id = cddb_disc_get_discid(disc);
  const QString hex = QString("%1").arg(id, 8, 16, QChar('0'));
  cddb_disc_t* probe = cddb_disc_clone(disc);
  int matches = cddb_query(conn, probe);
  if (matches < 0) {
    *error = QString("The CD database query failed: %1.").arg(Why(conn));
  } else if (matches == 0) {
    *error = "The CD (disc ID " + hex + ") is not in the CD database.";
  }
  cddb_disc_t* chosen = nullptr;
  for (int i = 0; i < matches; ++i) {
    if (i > 0 && !cddb_query_next(conn, probe)) break;
    if (!chosen) chosen = cddb_disc_clone(probe);
    if (cddb_disc_get_discid(probe) == id) {
      cddb_disc_copy(chosen, probe);
      break;
    }
  }
  cddb_disc_destroy(probe);
  if (chosen) {
    // The entry is read into a disc with our own table of contents.
    cddb_disc_t* entry = cddb_disc_clone(disc);
    cddb_disc_set_category(entry, cddb_disc_get_category(chosen));
    cddb_disc_set_discid(entry, cddb_disc_get_discid(chosen));
    cddb_disc_destroy(chosen);
    return entry;
  }
  return nullptr;
}

void RunLookup(const Query& q, const PostFn& post) {
  State(post, "Reading the CD");
  const std::optional<Toc> toc = q.drive ? ReadToc(*q.drive) : std::nullopt;
  if (!toc) return Fail(post, "There is no audio CD in drive " + q.driveName + ".");
  cddb_conn_t* conn = Connection(q);
  if (!conn) return Fail(post, "The CD database connection cannot be set up.");
  cddb_disc_t* disc = DiscOf(*toc);
  State(post, "Querying " + q.host);
  QString error;
  cddb_disc_t* entry = Match(conn, disc, &error);
  if (!entry) {
    cddb_disc_destroy(disc);
    cddb_destroy(conn);
    return Fail(post, error);
  }
  post([](cFreeDB* c) { emit c->Notify(); });
  State(post, "Reading the entry");
  const bool read = cddb_read(conn, entry) == 1;
  if (!read) {
    Fail(post, QString("The CD database entry cannot be read: %1.").arg(Why(conn)));
  } else {
    const QString artist = Clean(cddb_disc_get_artist(entry));
    const QString album = Clean(cddb_disc_get_title(entry));
    post([=](cFreeDB* c) {
      emit c->Message(artist + " / " + album);
      emit c->ArtistFound(artist);
      emit c->AlbumFound(album);
    });
    int number = 0;
    for (cddb_track_t* t = cddb_disc_get_track_first(entry); t; t = cddb_disc_get_track_next(entry)) {
      const QString trackArtist = Clean(cddb_track_get_artist(t));
      const QString title = Clean(cddb_track_get_title(t));
      const int n = ++number;
      post([=](cFreeDB* c) { emit c->TrackInfo(trackArtist, n, title); });
    }
  }
  cddb_disc_destroy(entry);
  cddb_disc_destroy(disc);
  cddb_destroy(conn);
}
}  // namespace

cFreeDB::cFreeDB(QObject* parent) : QObject(parent) {
  // libcddb sets up its globals on first use; lookups on several threads must
  // not race for that, and its messages have no place on the terminal.
  static std::once_flag once;
  std::call_once(once, [] {
    libcddb_init();
    cddb_log_set_handler(Quiet);
  });
}

cFreeDB::~cFreeDB() { Disconnect(); }

bool cFreeDB::IsConnected() const {
  QTcpSocket socket;
  socket.connectToHost(serverHost_, quint16(serverPort_));
  return socket.waitForConnected(kConnectCheckMs);
}

void cFreeDB::SelectDrive(const QString& drive) { drive_ = drive; }

void cFreeDB::StartQuery() {
  Disconnect();
  Query q{std::nullopt, drive_, timeout_, serverHost_, serverPort_, userName_, helloHostName_, clientName_, clientVersion_};
  for (const CdDriveTable::Drive& d : CdDriveTable::Drives())
    if (d.name.compare(drive_, Qt::CaseInsensitive) == 0) q.drive = d;
  lookup_ = std::make_shared<Lookup>();
  lookup_->target = this;
  std::shared_ptr<Lookup> lookup = lookup_;
  // The worker is never waited for: a silent server may hold it for the whole
  // time-out, and a dropped lookup's events go nowhere.
  std::thread([q, lookup] {
    RunLookup(q, [lookup](std::function<void(cFreeDB*)> fn) { lookup->Post(std::move(fn), lookup); });
  }).detach();
}

void cFreeDB::Disconnect() {
  if (lookup_) lookup_->Drop();
  lookup_.reset();
}

void cFreeDB::CloseLookup() { Disconnect(); }
