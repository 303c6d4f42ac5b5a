#include "backend/burn/DataDiscWriter.h"

#include <libisofs/libisofs.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "backend/burn/BurnErrors.h"
#include "backend/burn/BurnLib.h"
#include "platform/HiddenTemp.h"
#include "platform/RunFolder.h"
#include "platform/Utf8Text.h"

namespace DataDiscWriter {
namespace {
using Outcome = BurnOutcome;

constexpr int kIsoLabelBytes = 32;

QString IsoMessage(int code) { return QString::fromLocal8Bit(iso_error_to_msg(code)); }

// Profiles whose written sectors may be written again: DVD-RAM, DVD-RW in
// restricted overwrite, DVD+RW, BD-RE.
bool Overwritable(int profile) { return profile == 0x12 || profile == 0x13 || profile == 0x1a || profile == 0x43; }

// The tree: every file in the root under its own name.
struct Image {
  IsoImage* image = nullptr;
  IsoWriteOpts* opts = nullptr;
  ~Image() {
    if (opts) iso_write_opts_free(opts);
    if (image) iso_image_unref(image);
  }
};

Outcome BuildImage(BurnJob& job, const DataBurnRequest& r, const DataBurnEvents& ev, Image* out) {
  if (iso_image_new("TESSORY", &out->image) < 0) return {BurnErrWrite, "The disc image cannot be made."};
  iso_image_set_volume_id(out->image, ClampedLabel(r.volumeLabel).toUtf8().constData());
  iso_image_set_application_id(out->image, r.applicationId.toUtf8().constData());
  iso_image_set_publisher_id(out->image, r.publisherId.toUtf8().constData());
  IsoDir* root = iso_image_get_root(out->image);
  for (const QString& path : r.files) {
    job.Post([ev, path] { ev.addingFile(path); });
    if (!Readable(path)) return {BurnErrInput, "Cannot read " + path + "."};
    const QByteArray name = QFileInfo(path).fileName().toUtf8();
    const int rc = iso_tree_add_new_node(out->image, root, name.constData(), QFile::encodeName(path).constData(), nullptr);
    if (rc < 0) return {BurnErrInput, "Cannot add " + path + ": " + IsoMessage(rc)};
  }
  const long count = long(r.files.size());
  job.Post([ev, count] { ev.counted(count); });
  if (iso_write_opts_new(&out->opts, 0) < 0) return {BurnErrWrite, "The disc image cannot be made."};
  iso_write_opts_set_joliet(out->opts, r.joliet ? 1 : 0);
  return {};
}

// Checks the disc in the writer before anything is written.
Outcome CheckDisc(burn::burn_drive* d, const DataBurnRequest& r) {
  const burn::burn_disc_status status = burn::burn_disc_get_status(d);
  if (status == burn::BURN_DISC_EMPTY) return {BurnErrWriter, "No disc"};
  int profile = 0;
  char name[80] = {0};
  burn::burn_disc_get_profile(d, &profile, name);
  const bool image = r.writer.kind != BurnDrives::Kind::Real;
  if (r.cdOnly && !image && profile != 0x09 && profile != 0x0a) return {BurnErrWriter, "Not a CD"};
  if (status != burn::BURN_DISC_BLANK && !(status == burn::BURN_DISC_FULL && (image || Overwritable(profile))))
    return {BurnErrWriter, "Disc is not blank"};
  return {};
}

// Makes the UDF image with genisoimage, started without a shell; an Abort
// stops it.
Outcome MakeUdfImage(BurnJob& job, const DataBurnRequest& r, const QString& image) {
  QStringList args{"-quiet", "-udf", "-input-charset", "utf-8", "-V", ClampedLabel(r.volumeLabel),
                   "-A", r.applicationId, "-publisher", r.publisherId, "-o", image};
  if (r.joliet) args << "-J" << "-joliet-long";
  args << r.files;
  QProcess tool;
  tool.start("genisoimage", args);
  if (!tool.waitForStarted()) return {BurnErrWriter, "genisoimage cannot be started: " + tool.errorString()};
  while (tool.state() != QProcess::NotRunning && !tool.waitForFinished(100)) {
    if (!job.Aborting()) continue;
    tool.kill();
    tool.waitForFinished();
    return AbortedOutcome();
  }
  if (tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0) return {};
  const QStringList said = QString::fromLocal8Bit(tool.readAllStandardError()).trimmed().split('\n');
  return {BurnErrWrite, "The UDF image cannot be made: " + said.last()};
}

// The disc's bytes for libburn: the libisofs tree, streamed as it is made, or
// the UDF image made in the cache.
Outcome MakeSource(BurnJob& job, const DataBurnRequest& r, const Image& image, RunFolder& cache,
                   burn::burn_source** out) {
  if (!r.udf) {
    struct burn_source* isoSource = nullptr;
    const int rc = iso_image_create_burn_source(image.image, image.opts, &isoSource);
    if (rc < 0) return {BurnErrWrite, "The disc image cannot be made: " + IsoMessage(rc)};
    // libisofs and libburn name the same C struct from different namespaces.
    *out = reinterpret_cast<burn::burn_source*>(isoSource);
    return {};
  }
  if (!cache.Make()) return {BurnErrWrite, "Cannot make " + cache.Path() + "."};
  const QString file = cache.Path() + "disc.iso";
  if (const Outcome made = MakeUdfImage(job, r, file); made.code) return made;
  *out = burn::burn_file_source_new(QFile::encodeName(file).constData(), nullptr);
  return *out ? Outcome{} : Outcome{BurnErrInput, "Cannot read " + file + "."};
}

// Refuses an image larger than the disc: a real disc's free room, an 80-minute
// CD for an image drive of the CD engine (other image files take any size).
Outcome CheckRoom(burn::burn_drive* d, burn::burn_write_opts* opts, const DataBurnRequest& r, long long bytes) {
  const bool real = r.writer.kind == BurnDrives::Kind::Real;
  if (!real && !r.cdOnly) return {};
  const long long room = real ? burn::burn_disc_available_space(d, opts) : BurnDrives::kCdBytes;
  if (bytes <= room) return {};
  constexpr long long kMB = 1024 * 1024;
  return {BurnErrTooMuch, QString("The files take %1 MB, more than the disc holds (%2 MB).")
                              .arg((bytes + kMB - 1) / kMB)
                              .arg(room / kMB)};
}

// Picks the write type: the asked one when the writer takes it, else the one libburn finds.
Outcome ChooseWriteType(burn::burn_write_opts* opts, burn::burn_disc* disc, bool discAtOnce) {
  char reasons[BURN_REASONS_LEN] = {0};
  burn::burn_write_opts_set_write_type(opts, discAtOnce ? burn::BURN_WRITE_SAO : burn::BURN_WRITE_TAO,
                                       discAtOnce ? burn::BURN_BLOCK_SAO : burn::BURN_BLOCK_MODE1);
  if (burn::burn_precheck_write(opts, disc, reasons, 1) > 0) return {};
  if (burn::burn_write_opts_auto_write_type(opts, disc, reasons, 0) == burn::BURN_WRITE_NONE)
    return {BurnErrWriter, "The writer refuses this write: " + QString::fromLocal8Bit(reasons)};
  return {};
}

// Follows the write to its end; true when the drive says it wrote well.
bool FollowWrite(BurnJob& job, burn::burn_drive* d, const DataBurnEvents& ev) {
  int shown = -1;
  bool closing = false;
  const bool followed = BurnLib::FollowDrive(job, d, 50, [&](burn::burn_drive_status status, const burn::burn_progress& p) {
    if (status == burn::BURN_DRIVE_WRITING && p.sectors > 0) {
      const int percent = int(std::min<long long>(100, 100LL * p.sector / p.sectors));
      if (percent != shown) {
        shown = percent;
        job.Post([ev, percent] { ev.progress(percent); });
      }
    }
    if (!closing && (status == burn::BURN_DRIVE_CLOSING_TRACK || status == burn::BURN_DRIVE_CLOSING_SESSION ||
                     status == burn::BURN_DRIVE_WRITING_LEADOUT)) {
      closing = true;
      job.Post([ev] { ev.closing(); });
    }
  });
  const bool well = followed && burn::burn_drive_wrote_well(d);
  if (well && shown != 100) job.Post([ev] { ev.progress(100); });
  if (well && !closing) job.Post([ev] { ev.closing(); });
  return well;
}

Outcome Write(BurnJob& job, const DataBurnRequest& r, const DataBurnEvents& ev, const QString& address) {
  Image image;
  Outcome outcome = BuildImage(job, r, ev, &image);
  if (outcome.code) return outcome;
  BurnLib::GrabbedDrive drive(address, true);
  burn::burn_drive* d = drive.get();
  if (!d) return {BurnErrWriter, "The writer " + r.writer.model + " cannot be opened. " + BurnLib::LastMessage()};
  outcome = CheckDisc(d, r);
  if (outcome.code) return outcome;
  RunFolder cache(RunFolder::SharedFolder(RunFolder::Place::BurnCache));
  burn::burn_source* source = nullptr;
  outcome = MakeSource(job, r, image, cache, &source);
  if (outcome.code) return outcome;
  burn::burn_disc* disc = burn::burn_disc_create();
  burn::burn_session* session = burn::burn_session_create();
  burn::burn_disc_add_session(disc, session, BURN_POS_END);
  burn::burn_track* track = burn::burn_track_create();
  burn::burn_track_define_data(track, 0, 0, 0, BURN_MODE1);
  burn::burn_track_set_source(track, source);
  burn::burn_session_add_track(session, track, BURN_POS_END);
  burn::burn_write_opts* opts = burn::burn_write_opts_new(d);
  burn::burn_write_opts_set_perform_opc(opts, 0);
  burn::burn_write_opts_set_multi(opts, 0);
  burn::burn_write_opts_set_underrun_proof(opts, 1);
  // An image file is written like any other file, through the system's cache:
  // syncing every 16 MB (libburn's habit for slow devices) only makes the
  // write wait for the disk.
  if (r.writer.kind == BurnDrives::Kind::DataImage) burn::burn_write_opts_set_stdio_fsync(opts, -1);
  burn::burn_drive_set_speed(d, 0, int(r.speed));
  outcome = CheckRoom(d, opts, r, source->get_size(source));
  if (!outcome.code) outcome = ChooseWriteType(opts, disc, r.discAtOnce);
  if (!outcome.code) {
    job.Post([ev] { ev.started(); });
    burn::burn_disc_write(opts, disc);
    if (!FollowWrite(job, d, ev))
      outcome = job.Aborting() ? AbortedOutcome() : Outcome{BurnErrWrite, "The write failed. " + BurnLib::LastMessage()};
  }
  burn::burn_write_opts_free(opts);
  burn::burn_track_free(track);
  burn::burn_source_free(source);
  burn::burn_session_free(session);
  burn::burn_disc_free(disc);
  return outcome;
}

Outcome WriteImageFile(BurnJob& job, const DataBurnRequest& r, const DataBurnEvents& ev) {
  const QString target = r.writer.device;
  const QFileInfo targetInfo(target);
  for (const QString& f : r.files)
    if (targetInfo.exists() && QFileInfo(f).canonicalFilePath() == targetInfo.canonicalFilePath())
      return {BurnErrWriter, "The image " + target + " is one of the files."};
  const QFileInfo folder(targetInfo.absolutePath());
  if (!folder.isDir() || !folder.isWritable())
    return {BurnErrWriter, "The image folder cannot be written: " + targetInfo.absolutePath()};
  HiddenTemp hidden(target);
  hidden.Make();
  const QString& temp = hidden.Path();
  Outcome outcome = Write(job, r, ev, "stdio:" + temp);
  if (!outcome.code && job.Aborting()) outcome = AbortedOutcome();
  if (!outcome.code && !BurnLib::ReplaceWith(temp, target))
    outcome = {BurnErrWrite, "Cannot write the image " + target + "."};
  if (outcome.code) hidden.Remove();
  return outcome;
}
}  // namespace

QString ClampedLabel(const QString& label) { return Utf8Text::Head(label, kIsoLabelBytes); }

bool Readable(const QString& path) {
  const QFileInfo fi(path);
  if (!fi.isFile()) return false;
  QFile f(path);
  return f.open(QIODevice::ReadOnly);
}

void Run(BurnJob& job, const DataBurnRequest& r, const DataBurnEvents& ev) {
  job.Post([ev] { ev.initializing(); });
  Outcome outcome;
  if (r.files.isEmpty()) outcome = {BurnErrNothing, "There is no file to write."};
  else if (!BurnLib::Start()) outcome = {BurnErrWriter, "The disc-writing library cannot start."};
  else if (r.writer.kind == BurnDrives::Kind::DataImage) outcome = WriteImageFile(job, r, ev);
  else outcome = Write(job, r, ev, r.writer.device);
  if (outcome.code) job.PostEnd([ev, outcome] { ev.error(outcome.code, outcome.text); });
  else job.PostEnd([ev] { ev.done(); });
}
}  // namespace DataDiscWriter
