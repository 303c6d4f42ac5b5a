#include "platform/burn/cBurner.h"

#include <link.h>

#include <QCoreApplication>
#include <QFileInfo>

#include "backend/burn/BurnErrors.h"
#include "backend/burn/DataDiscWriter.h"
#include "backend/burn/WriterList.h"

struct cBurner::Impl {
  explicit Impl(QObject* context) : job(context) {}
  BurnJob job;
  WriterList writers{WriterList::DataAny};
};

namespace {
// The short message of an error event, by its code.
QString ErrorMessage(long code) {
  switch (code) {
    case BurnErrInput: return "A file cannot be read";
    case BurnErrWriter: return "The writer cannot write this disc";
    case BurnErrAborted: return "Aborted";
    case BurnErrBusy: return "A write is already running";
    case BurnErrNothing: return "Nothing to write";
    case BurnErrTooMuch: return "The disc cannot hold this";
    default: return "The write failed";
  }
}

// The files of the disc-writing libraries this program has loaded.
QStringList LoadedLibraries() {
  QStringList found;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        const QString path = QString::fromLocal8Bit(info->dlpi_name);
        const QString name = QFileInfo(path).fileName();
        if (name.startsWith("libburn.so") || name.startsWith("libisofs.so")) static_cast<QStringList*>(data)->append(path);
        return 0;
      },
      &found);
  return found;
}
}  // namespace

QStringList cBurner::MissingLibraries() {
  // Tests name the files to look for; otherwise they are the ones this program runs with.
  const QString given = qEnvironmentVariable("TESSORY_BURN_LIBRARIES");
  QStringList wanted = given.isEmpty() ? LoadedLibraries() : given.split(':', Qt::SkipEmptyParts);
  QStringList missing;
  for (const QString& base : {QString("libburn.so"), QString("libisofs.so")}) {
    auto it = std::find_if(wanted.begin(), wanted.end(), [&](const QString& p) { return QFileInfo(p).fileName().startsWith(base); });
    if (it == wanted.end() || !QFileInfo::exists(*it)) missing << (it == wanted.end() ? base : QFileInfo(*it).fileName());
  }
  return missing;
}

QString cBurner::DiscFileSystems(bool, bool joliet, bool udf) {
  if (joliet && udf) return "ISO 9660, Joliet and UDF";
  if (joliet || udf) return QString("ISO 9660 and ") + (joliet ? "Joliet" : "UDF");
  return "ISO 9660";
}

cBurner::cBurner(QObject* parent) : QObject(parent), d(std::make_unique<Impl>(this)) {}

// There is no close member: the writer is let go here.
cBurner::~cBurner() { d->job.Close(); }

long cBurner::DriveCount() { return long(d->writers.All().size()); }

QString cBurner::GetDriveLetter(long index) {
  const BurnDrives::Writer* w = d->writers.At(index);
  return w ? w->letter + ":" : QString();
}

QString cBurner::GetDriveName(long index) {
  const BurnDrives::Writer* w = d->writers.At(index);
  return w ? w->model : QString();
}

void cBurner::NewCompilation() {
  files_.clear();
  useIso_ = true;
  useJoliet_ = true;
  useUdf_ = false;
  volumeLabel_.clear();
}

void cBurner::AddFile(const QString& path) { files_ << path; }

void cBurner::Burn(long index) {
  auto fail = [this](long code, const QString& text) {
    d->job.Post([this, code, text] { emit Error(ErrorMessage(code), text); });
  };
  if (d->job.Running()) return fail(BurnErrBusy, "A write is already running.");
  const BurnDrives::Writer* w = d->writers.At(index);
  if (!w) return fail(BurnErrWriter, "There is no writer number " + QString::number(index) + ".");
  const QString app = QCoreApplication::applicationName();
  DataBurnRequest request{files_, volumeLabel_, app, app, useJoliet_, *w, 0, false, false, useUdf_};
  DataBurnEvents events;
  events.initializing = [this] { emit Initializing(); };
  events.addingFile = [this](const QString& path) { emit AddingFile(path); };
  events.counted = [this](long files) { emit ItemsCounted(files, 0); };
  events.started = [this] { emit StartBurning(); };
  events.progress = [this](int percent) { emit Progress(percent); };
  events.closing = [this] { emit Finalization(); };
  events.done = [this] {
    emit DoneBurn();
    emit Completed();
    emit End();
  };
  events.error = [this](long code, const QString& text) { emit Error(ErrorMessage(code), text); };
  BurnJob& job = d->job;
  job.Start([&job, request, events] { DataDiscWriter::Run(job, request, events); });
}
