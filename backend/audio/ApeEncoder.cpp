// Replaced by the real encoder; until then APE output fails with a clear text.
#include "backend/audio/ApeEncoder.h"

struct ApeEncoder::Impl {};
ApeEncoder::ApeEncoder() = default;
ApeEncoder::~ApeEncoder() = default;
bool ApeEncoder::Open(const QString&, int, int, int, int, QString* error) {
  if (error) *error = "APE output is not available yet.";
  return false;
}
bool ApeEncoder::Write(const void*, qint64, QString*) { return false; }
bool ApeEncoder::Finish(const QMap<QString, QString>&, QString*) { return false; }
void ApeEncoder::Cancel() {}
