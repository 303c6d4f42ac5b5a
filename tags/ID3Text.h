// Byte-level helpers shared by the ID3 tag classes: text encodings, big-endian
// and synchsafe integers, unsynchronisation.
#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace ID3Text {
// ID3 text encodings.
enum Encoding { Latin1 = 0, Utf16 = 1, Utf16BE = 2, Utf8 = 3 };

bool FitsLatin1(const QString& text);
// One byte per character; characters Latin-1 cannot hold become "?".
QByteArray ToLatin1(const QString& text);
// Latin-1 when the text fits, else UTF-16 with a byte-order mark.
int EncodingFor(const QString& text);
QByteArray Encode(const QString& text, int encoding);
// A text frame's body: the encoding byte, then the text in that encoding.
QByteArray TextBody(const QString& text);
// The terminator of a string in that encoding (one or two zero bytes).
QByteArray Terminator(int encoding);
// Decodes bytes in encodings 0 to 3 (UTF-16 by its byte-order mark, little
// endian without one). Zero characters are removed.
QString Decode(const QByteArray& bytes, int encoding);
// The values of a text frame's text (the body behind its encoding byte),
// NUL between them as version 2.4 keeps several, joined by " / "; each
// value's byte-order mark is removed, empty values are left out.
QString DecodeValues(const QByteArray& bytes, int encoding);
// The length of the string starting at from, up to its terminator or the end;
// *next receives the position after the terminator.
int StringLength(const QByteArray& data, int from, int encoding, int* next);

uint32_t ReadBE32(const char* p);
uint32_t ReadBE24(const char* p);
void PutBE32(QByteArray& out, uint32_t value);
bool IsSynchsafe(const char* p);
uint32_t ReadSynchsafe(const char* p);
QByteArray Synchsafe(uint32_t value);
// Undoes unsynchronisation: every 0xFF 0x00 becomes 0xFF.
QByteArray Resynchronise(const QByteArray& data);
}  // namespace ID3Text
