// The numbered error a tag class leaves behind when a call fails: its number,
// its source (the program's name followed by the class name) and its text.
#pragma once
#include <QByteArray>
#include <QString>

class QFileDevice;

struct TagError {
  long Number = 0;
  QString Source;
  QString Description;
  bool IsSet() const { return Number != 0; }
};

// The error numbers the tag classes use.
enum TagErrorNumber : long {
  tagErrInvalidCall = 5,        // a frame or text that is not held
  tagErrSubscript = 9,          // a position outside the frame list; an empty file
  tagErrFileNotFound = 53,
  tagErrDeviceIO = 57,
  tagErrPermissionDenied = 70,
  tagErrPathAccess = 75,
  tagErrTagTooLarge = 7,        // the tag would not fit the format's size field
  tagErrDamagedTag = 321,       // a tag whose end is not known: replacing it could cut the audio
  tagErrNotMP3 = -2147217407,   // 0x80041001
};

// "<program>.<className>", the program's file name without its extension.
QString TagErrorSource(const char* className);
// The error for a failed open, read or write of the file; a write's reason
// (errno) from WriteWhole, when given, is its text.
TagError FileError(const QFileDevice& file, const char* className, int reason = 0);
// Writes the bytes whole; false, with the system's reason in *reason, when
// not. Qt itself gives a write that stops part way (a full disk) no reason.
bool WriteWhole(QFileDevice& file, const QByteArray& bytes, int* reason);
TagError MakeTagError(long number, const QString& description, const char* className);
