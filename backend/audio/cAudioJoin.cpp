#include "platform/audio/cAudioJoin.h"

#include "backend/audio/AudioJobRunner.h"

cAudioJoin::cAudioJoin(QObject* parent) : cAudioJobControl(parent) {}

cAudioJoin::~cAudioJoin() { CloseJob(); }

void cAudioJoin::AddFile(const QString& path, double start, double length) { files_.push_back({path, start, length}); }

void cAudioJoin::RemoveFile(long index) {
  if (index >= 1 && index <= FileCount()) files_.erase(files_.begin() + (index - 1));
}

QString cAudioJoin::GetFileItem(long number, double* start, double* length) const {
  if (number < 1 || number > FileCount()) return QString();
  const Entry& e = files_[number - 1];
  if (start) *start = e.start;
  if (length) *length = e.length;
  return e.path;
}

long cAudioJoin::StartJoin() {
  std::vector<std::unique_ptr<PcmSource>> sources;
  for (const Entry& e : files_) sources.push_back(MakeFileSource(e.path, e.start, e.length));
  return StartJob(std::move(sources), [this](int index, int percent) { emit Progress(index + 1, percent); });
}

void cAudioJoin::AbortJoin() { AbortJob(); }

void cAudioJoin::ResetJoin() {
  AbortJob();
  files_.clear();
}

void cAudioJoin::CloseJoin() { CloseJob(); }
