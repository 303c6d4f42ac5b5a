// How a write ends, for the error events of the three burners.
#pragma once
#include <QString>

enum BurnErrorCode : long {
  BurnErrInput = 1,    // a file cannot be read or decoded
  BurnErrWriter = 2,   // no such writer, no usable disc, or the writer refuses
  BurnErrWrite = 3,    // the write itself failed (full disk included)
  BurnErrAborted = 4,  // stopped on request
  BurnErrBusy = 5,     // a write is already running
  BurnErrNothing = 6,  // nothing to write
  BurnErrTooMuch = 7,  // more tracks or more bytes than the disc holds
};

struct BurnOutcome {
  long code = 0;  // 0: written
  QString text;
};

inline BurnOutcome AbortedOutcome() { return {BurnErrAborted, "Aborted"}; }
