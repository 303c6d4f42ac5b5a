#include "platform/burn/cAudioDataBurner.h"

#include <QFileInfo>

#include "backend/burn/BurnErrors.h"
#include "backend/burn/DataDiscWriter.h"
#include "backend/burn/WriterList.h"

struct cAudioDataBurner::Impl {
  explicit Impl(QObject* context) : job(context) {}
  BurnJob job;
  WriterList writers{WriterList::DataCd};
  QString writing;  // the letter of the writer the running write holds
};

cAudioDataBurner::cAudioDataBurner(QObject* parent) : QObject(parent), d(std::make_unique<Impl>(this)) {}

cAudioDataBurner::~cAudioDataBurner() { CloseBurner(); }

long cAudioDataBurner::GetDriveCount() { return long(d->writers.All().size()); }

QString cAudioDataBurner::GetDriveName(long index) {
  const BurnDrives::Writer* w = d->writers.At(index - 1);
  return w ? w->letter + ": " + w->model : QString();
}

long cAudioDataBurner::GetSpeedCount(const QString& letter) {
  speeds_.clear();
  if (const BurnDrives::Writer* w = d->writers.Find(letter)) speeds_ = d->writers.Disc(*w).speeds;
  return long(speeds_.size());
}

long cAudioDataBurner::GetSpeed(long index) const {
  return index >= 1 && size_t(index) <= speeds_.size() ? speeds_[size_t(index - 1)] : 0;
}

bool cAudioDataBurner::IsDriveReady(const QString& letter) {
  const BurnDrives::Writer* w = d->writers.Find(letter);
  return w && d->writers.Disc(*w).ready;
}

bool cAudioDataBurner::IsDiscEmpty(const QString& letter) {
  const BurnDrives::Writer* w = d->writers.Find(letter);
  return w && d->writers.Disc(*w).blank;
}

QString cAudioDataBurner::GetDriveRoot(const QString& letter) {
  const BurnDrives::Writer* w = d->writers.Find(letter);
  return w ? BurnDrives::Root(*w) : QString();
}

// The tray of the writer being written stays shut: a moving tray ruins the disc.
void cAudioDataBurner::OpenTray(const QString& letter) {
  const BurnDrives::Writer* w = d->writers.Find(letter);
  if (w && !(d->job.Running() && w->letter == d->writing)) BurnDrives::OpenTray(*w);
}

void cAudioDataBurner::CloseTray(const QString& letter) {
  const BurnDrives::Writer* w = d->writers.Find(letter);
  if (w && !(d->job.Running() && w->letter == d->writing)) BurnDrives::CloseTray(*w);
}

bool cAudioDataBurner::AddFile(const QString& path) {
  if (!DataDiscWriter::Readable(path)) return false;
  // Every file goes to the root, where a name can be taken once only.
  const QString name = QFileInfo(path).fileName();
  for (const QString& f : files_)
    if (QFileInfo(f).fileName() == name) return false;
  files_ << path;
  return true;
}

void cAudioDataBurner::Burn(const QString& letter, long speed) {
  const QStringList files = files_;
  files_.clear();  // the window adds its files again before every write
  auto fail = [this](long code, const QString& text) { d->job.Post([this, code, text] { emit Error(code, text); }); };
  if (d->job.Running()) return fail(BurnErrBusy, "A write is already running.");
  const BurnDrives::Writer* w = d->writers.Find(letter);
  if (!w) return fail(BurnErrWriter, "There is no writer " + letter.left(1) + ":.");
  DataBurnRequest request{files, volumeLabel_, applicationName_, publisherName_, true, *w,
                          speed == 65535 ? 0 : speed, true, writeOption_};
  DataBurnEvents events;
  events.initializing = [] {};
  events.addingFile = [](const QString&) {};
  events.counted = [](long) {};
  events.started = [this] { emit BurnStarted(); };
  events.progress = [this](int percent) { emit Progress(percent); };
  events.closing = [this] { emit ClosingSession(); };
  events.done = [this] { emit Finished(); };
  events.error = [this](long code, const QString& text) { emit Error(code, text); };
  BurnJob& job = d->job;
  d->writing = w->letter;
  d->writers.ForgetDisc();
  job.Start([&job, request, events] { DataDiscWriter::Run(job, request, events); });
}

void cAudioDataBurner::CloseBurner() { d->job.Close(); }
