// Everything a conversion or join job needs besides its sources: the
// destination format with its settings, the tags and the output path.
#pragma once
#include <QMap>
#include <QString>

#include "platform/audio/FormatRecords.h"

struct AudioTags {
  QString album, artist, comment, genre, title, track, year;
  // Generic tag keys ("title", "artist", "album", "date", "comment", "genre",
  // "track") to values, empty values left out.
  QMap<QString, QString> ByKey() const;
  bool operator==(const AudioTags&) const = default;
};

struct AudioJobSettings {
  long destinationFormat = DestWav;
  WavFormatRecord wav{44100, 2, 16};
  QString acmTag = "PCM";
  QString acmFormat;
  Mp3FormatRecord mp3 = DefaultMp3();
  WmaFormatRecord wma;
  OggFormatRecord ogg{0, 0, 50};
  long apeLevel = 1;
  AudioTags tags;
  QString outputFile;
  bool operator==(const AudioJobSettings&) const = default;

  static Mp3FormatRecord DefaultMp3() {
    Mp3FormatRecord r;
    r.Bitrate = 128;
    r.SampleRate = 44100;
    r.Quality = 5;
    r.VbrMinBitrate = 9;
    r.VbrMaxBitrate = 11;
    r.VbrQuality = 5;
    r.AbrBitrate = 96;
    return r;
  }
};
