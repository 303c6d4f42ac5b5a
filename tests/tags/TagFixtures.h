// Small MP3-like files for the tag tests: MPEG audio frames behind optional
// tags, built byte by byte.
#pragma once
#include <QByteArray>
#include <QString>

namespace TagFixtures {
// n MPEG audio frames of the header's stream (by default MPEG-1 Layer III,
// 128 kbit/s, 44.1 kHz), their bytes numbered so a moved or changed byte shows.
QByteArray Audio(int frames = 4, uint32_t header = 0xFFFB9000u);
// A version 2.3 or 2.4 frame; sizes plain for 2.3, synchsafe for 2.4.
QByteArray Frame(const QByteArray& id, const QByteArray& body, int version = 3, uint16_t flags = 0);
// "ID3", version, flags and the standard synchsafe size of frames + padding.
QByteArray Tag(const QByteArray& frames, int version = 3, int padding = 0, uint8_t flags = 0);
// A tag as older versions of this program wrote it: the size field a plain
// count of the whole tag, rounded up to 2048.
QByteArray LegacyTag(const QByteArray& frames);
// An ID3v1.1 block.
QByteArray V1Block(const QByteArray& title, uint8_t track, uint8_t genre);

QString Write(const QString& dir, const QString& name, const QByteArray& bytes);
QByteArray Read(const QString& path);
}  // namespace TagFixtures
