// Where an ID3v2 tag at a given offset really ends and which frames it holds.
// Sizes come from the file and are never trusted beyond its length. Frames are
// returned in the form a version 2.3 tag holds them, so that a tag can be
// written back without touching frames that were not edited.
#pragma once
#include <QByteArray>
#include <QIODevice>
#include <cstdint>
#include <vector>

namespace ID3v2Layout {

struct RawFrame {
  QByteArray id;      // four characters
  uint16_t flags = 0; // version 2.3 frame flags
  QByteArray body;
};

struct Layout {
  int version = 0;     // the major version byte; 0 when not even that was read
  qint64 extent = 0;   // the whole tag's length from "ID3", header included
  // False when neither what follows the tag nor its padding shows where it
  // ends, or its extended header claims more than its fields: its extent is
  // then not known to be where the audio starts.
  bool endKnown = true;
  std::vector<RawFrame> frames;
};

// Reads the tag whose "ID3" starts at tagStart. A version other than 2, 3 and 4
// gives the version alone; a malformed tag gives the frames read before the
// fault.
Layout Read(QIODevice& device, qint64 tagStart);

// Frame identifiers: "A" to "Z" and "0" to "9".
bool IsFrameId(const QByteArray& id);
// The version 2.3 identifier of a version 2.2 one; empty when there is none.
QByteArray MapV22FrameId(const QByteArray& id);

}  // namespace ID3v2Layout
