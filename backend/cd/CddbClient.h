// The CD database exchange (cddbp, protocol level 6) and the reading of its
// xmcd entries, for the lookup control. Every wait of one lookup counts
// against one deadline, so a server that trickles its answer cannot hold a
// lookup longer than that, and a dropped lookup stops within a moment.
#pragma once
#include <QByteArrayList>
#include <QDeadlineTimer>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace Cddb {
// A disc's table of contents as the CD database counts it: each track's start
// frame (the 2-second lead-in included) and the disc's length in seconds.
struct Toc {
  std::vector<int> offsets;
  int seconds = 0;
};
unsigned DiscId(const Toc& toc);

struct Track {
  QString artist, title;
};
struct Entry {
  QString artist, album;
  std::vector<Track> tracks;  // one per track of the disc, in order
};
// Reads an entry's lines. Empty, with the reason in error (a sentence), when
// the entry lacks its track offsets or its disc length, or lists another
// number of tracks than the disc has (such an entry belongs to no disc we can
// trust it for), or holds a text longer than any title.
std::optional<Entry> ParseEntry(const QByteArrayList& lines, size_t tracks, QString* error);

struct Greeting {
  QString host;
  int port = 0;
  QString user, helloHost, client, version;
};
// Queries the server and reads the entry of the first match with the disc's
// own ID, else of the first match: its lines, or empty with the reason in
// error (a sentence). matched runs once a match is known, before the read.
// When a lookup ends: at its deadline, or once stopped() says so (it is
// asked at least every tenth of a second).
struct Limit {
  QDeadlineTimer deadline;
  std::function<bool()> stopped;
};
std::optional<QByteArrayList> Fetch(const Greeting& greeting, const Toc& toc, const Limit& limit,
                                    const std::function<void()>& matched, QString* error);
}  // namespace Cddb
