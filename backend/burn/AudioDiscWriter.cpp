#include "backend/burn/AudioDiscWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <vector>

#include "backend/audio/PcmSource.h"
#include "backend/audio/WavFile.h"
#include "backend/burn/BackgroundWriter.h"
#include "backend/burn/BurnErrors.h"
#include "backend/burn/BurnLib.h"
#include "platform/Services.h"

namespace AudioDiscWriter {
namespace {
using Outcome = BurnOutcome;

// Writes every byte or says why not (a full disk gives a short write).
bool WriteAll(QFile& f, const char* data, qint64 size, QString* error) {
  while (size > 0) {
    const qint64 n = f.write(data, size);
    if (n <= 0) {
      *error = "Cannot write " + f.fileName() + ": " + f.errorString();
      return false;
    }
    data += n;
    size -= n;
  }
  return true;
}

// The samples of a PCM WAV that already holds CD audio (44.1 kHz, 16-bit,
// stereo): where they start and how many bytes they take. False for any
// other file.
bool FindCdAudio(QFile& f, qint64* offset, qint64* size) {
  WavLayout l;
  if (!WavFile::ReadChunks(f, &l)) return false;
  const bool cdFormat = l.formatTag == 1 && l.channels == 2 && l.sampleRate == 44100 && l.byteRate == 176400 &&
                        l.blockAlign == 4 && l.bits == 16;
  if (!cdFormat) return false;
  *offset = l.dataOffset;
  *size = l.dataBytes / 4 * 4;  // whole frames only, as a decoder gives them
  return true;
}

// Copies the samples of a CD-audio WAV as they are; their byte count, or -1
// with the outcome set.
qint64 CopyCdAudio(BurnJob& job, QFile& wav, qint64 offset, qint64 size, BackgroundWriter& out,
                   const std::function<void(double)>& progress, Outcome* outcome) {
  constexpr qint64 kPiece = 4 << 20;
  QString error;
  if (!wav.seek(offset)) {
    *outcome = {BurnErrInput, "Cannot read " + wav.fileName() + "."};
    return -1;
  }
  for (qint64 done = 0; done < size;) {
    if (job.Aborting()) {
      *outcome = AbortedOutcome();
      return -1;
    }
    const qint64 n = std::min(kPiece, size - done);
    if (!out.WriteFrom(wav, n, &error)) {
      *outcome = {error.startsWith("Cannot read") ? BurnErrInput : BurnErrWrite, error};
      return -1;
    }
    done += n;
    progress(double(done) / double(size));
  }
  return size;
}

// Fills the track's last sector with silence, and the track to 4 seconds; its sectors, or -1.
long long PadTrack(BackgroundWriter& out, qint64 bytes, Outcome* outcome) {
  const long long sectors = std::max<long long>((bytes + kSectorBytes - 1) / kSectorBytes, kMinTrackSectors);
  QString error;
  if (!out.WriteZeros(sectors * kSectorBytes - bytes, &error)) {
    *outcome = {BurnErrWrite, error};
    return -1;
  }
  return sectors;
}

// Decodes (or copies) one file to CD audio at the end of out; the track's
// sectors, with its padding, or -1 with the outcome set.
long long DecodeTrack(BurnJob& job, const QString& path, BackgroundWriter& out, const std::function<void(double)>& progress,
                      Outcome* outcome) {
  QString error;
  qint64 bytes = 0;
  // A WAV that already holds CD audio needs no decoding: its samples are copied.
  QFile wav(path);
  qint64 offset = 0, size = 0;
  if (wav.open(QIODevice::ReadOnly) && FindCdAudio(wav, &offset, &size)) {
    bytes = CopyCdAudio(job, wav, offset, size, out, progress, outcome);
    return bytes < 0 ? -1 : PadTrack(out, bytes, outcome);
  }
  auto source = MakeFileSource(path, -1, -1);
  if (!source->Open(&error) || !source->Start({44100, 2, 16}, &error)) {
    *outcome = {BurnErrInput, "Cannot decode " + path + ": " + error};
    return -1;
  }
  std::vector<int16_t> swapped;
  for (;;) {
    if (job.Aborting()) {
      *outcome = AbortedOutcome();
      return -1;
    }
    const int frames = source->Read(&error);
    if (frames < 0) {
      *outcome = {BurnErrInput, "Cannot decode " + path + ": " + error};
      return -1;
    }
    if (frames == 0) break;
    const auto* pcm = static_cast<const int16_t*>(source->Pcm());
    const qint64 pieceBytes = qint64(frames) * 4;
    // CD audio is little-endian whatever the machine is.
    if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN) {
      swapped.assign(pcm, pcm + frames * 2);
      for (int16_t& s : swapped) s = qToLittleEndian(s);
      pcm = swapped.data();
    }
    if (!out.Write(reinterpret_cast<const char*>(pcm), pieceBytes, &error)) {
      *outcome = {BurnErrWrite, error};
      return -1;
    }
    bytes += pieceBytes;
    progress(source->Progress());
  }
  return PadTrack(out, bytes, outcome);
}

QString Msf(long long sectors) {
  return QString("%1:%2:%3")
      .arg(sectors / (75 * 60), 2, 10, QChar('0'))
      .arg(sectors / 75 % 60, 2, 10, QChar('0'))
      .arg(sectors % 75, 2, 10, QChar('0'));
}

bool IsSource(const AudioBurnRequest& r, const QString& path) {
  const QFileInfo target(path);
  for (const QString& t : r.tracks)
    if (QFileInfo(t).canonicalFilePath() == target.canonicalFilePath() && target.exists()) return true;
  return false;
}

// The per-track writing steps after caching, for a writer that has nothing
// left to do per track (the image drive).
void ReportTracksWritten(BurnJob& job, int count, const AudioBurnEvents& ev) {
  for (int t = 1; t <= count; ++t) {
    job.Post([ev] { ev.writing(); });
    job.Post([ev, t] { ev.trackProgress(100, t); });
    job.Post([ev, t, count] { ev.progress(100 * t / count); });
    job.Post([ev, t] { ev.closingTrack(t); });
  }
}

// Decodes every track, one after another, into the writer begin(i) gives;
// end(i) then completes that track's file. The sectors of each, or an outcome
// on failure.
Outcome CacheTracks(BurnJob& job, const QStringList& tracks, const AudioBurnEvents& ev,
                    const std::function<BackgroundWriter*(int)>& begin,
                    const std::function<bool(int, QString*)>& end, std::vector<long long>* sectors) {
  const int n = int(tracks.size());
  for (int i = 0; i < n; ++i) {
    job.Post([ev] { ev.caching(); });
    BackgroundWriter* out = begin(i);
    if (!out) return {BurnErrWrite, "Cannot write the audio cache."};
    int shown = -1;
    Outcome outcome;
    const long long s = DecodeTrack(job, tracks[i], *out, [&](double p) {
      const int percent = int((i + p) * 100 / n);
      if (percent == shown) return;
      shown = percent;
      job.Post([ev, percent] { ev.progress(percent); });
    }, &outcome);
    if (s < 0) return outcome;
    QString error;
    if (!end(i, &error)) return {BurnErrWrite, error};
    sectors->push_back(s);
  }
  return {};
}

Outcome WriteImage(BurnJob& job, const AudioBurnRequest& r, const AudioBurnEvents& ev) {
  const QString cue = r.writer.device;
  const QFileInfo cueInfo(cue);
  const QString bin = cueInfo.absolutePath() + "/" + cueInfo.completeBaseName() + ".bin";
  if (IsSource(r, cue) || IsSource(r, bin)) return {BurnErrWriter, "The image " + bin + " is one of the tracks."};
  QFile binFile(BurnLib::HiddenTemp(bin));
  QFile cueFile(BurnLib::HiddenTemp(cue));
  auto fail = [&](const Outcome& o) {
    binFile.remove();
    cueFile.remove();
    return o;
  };
  if (!binFile.open(QIODevice::WriteOnly)) return fail({BurnErrWriter, "Cannot write " + bin + ": " + binFile.errorString()});
  std::vector<long long> sectors;
  QString error;
  Outcome outcome;
  {
    BackgroundWriter writer(binFile);
    outcome = CacheTracks(job, r.tracks, ev, [&](int i) -> BackgroundWriter* {
      // Every track after the first starts with its 2-second pregap.
      if (i > 0 && !writer.WriteZeros(qint64(kPregapSectors) * kSectorBytes, &error)) return nullptr;
      return &writer;
    }, [](int, QString*) { return true; }, &sectors);
    if (!error.isEmpty()) outcome = {BurnErrWrite, error};
    if (!writer.Finish(&error) && !outcome.code) outcome = {BurnErrWrite, error};
  }
  if (outcome.code) return fail(outcome);
  binFile.close();

  ReportTracksWritten(job, int(sectors.size()), ev);
  job.Post([ev] { ev.closingSession(); });
  QString text = "FILE \"" + QFileInfo(bin).fileName() + "\" BINARY\r\n";
  long long at = 0;
  for (size_t i = 0; i < sectors.size(); ++i) {
    text += QString("  TRACK %1 AUDIO\r\n").arg(int(i + 1), 2, 10, QChar('0'));
    if (i > 0) {
      text += "    INDEX 00 " + Msf(at) + "\r\n";
      at += kPregapSectors;
    }
    text += "    INDEX 01 " + Msf(at) + "\r\n";
    at += sectors[i];
  }
  const QByteArray bytes = text.toUtf8();
  if (!cueFile.open(QIODevice::WriteOnly) || !WriteAll(cueFile, bytes.constData(), bytes.size(), &error) ||
      !cueFile.flush())
    return fail({BurnErrWrite, error.isEmpty() ? "Cannot write " + cue + ": " + cueFile.errorString() : error});
  cueFile.close();
  if (job.Aborting()) return fail(AbortedOutcome());
  // The BIN first: a CUE never names a BIN that is not complete.
  if (!BurnLib::ReplaceWith(binFile.fileName(), bin) || !BurnLib::ReplaceWith(cueFile.fileName(), cue))
    return fail({BurnErrWrite, "Cannot write the image " + cue + "."});
  return {};
}

// Follows a libburn write to its end: events from the drive's state, the
// cancel when asked. Every track gets its writing and closing events, also
// one the drive went through between two looks. True when the drive says it
// wrote well.
bool FollowWrite(BurnJob& job, burn::burn_drive* d, const std::vector<long long>& sectors, const AudioBurnEvents& ev) {
  const int count = int(sectors.size());
  long long total = 0;
  for (long long s : sectors) total += s;
  int track = 0, shownPercent = -1;  // track: the last one announced, from 1
  bool sessionClosing = false;
  auto advanceTo = [&](int t) {
    for (; track < t; ++track) {
      if (track > 0) job.Post([ev, done = track] { ev.closingTrack(done); });
      job.Post([ev] { ev.writing(); });
    }
  };
  auto closeSession = [&] {
    if (sessionClosing) return;
    sessionClosing = true;
    if (track > 0) job.Post([ev, done = track] { ev.closingTrack(done); });
    job.Post([ev] { ev.closingSession(); });
  };
  const bool followed = BurnLib::FollowDrive(job, d, 200, [&](burn::burn_drive_status status, const burn::burn_progress& p) {
    if (status == burn::BURN_DRIVE_WRITING && p.track >= 0 && p.track < count && !sessionClosing) {
      advanceTo(p.track + 1);
      const int inTrack = p.sectors > 0 ? int(std::min<long long>(100, 100LL * p.sector / p.sectors)) : 0;
      long long before = 0;
      for (int i = 0; i < p.track; ++i) before += sectors[size_t(i)];
      const int overall = total > 0 ? int(std::min<long long>(100, 100 * (before + p.sector) / total)) : 0;
      if (inTrack != shownPercent) {
        shownPercent = inTrack;
        job.Post([ev, inTrack, t = track] { ev.trackProgress(inTrack, t); });
        job.Post([ev, overall] { ev.progress(overall); });
      }
    }
    if (status == burn::BURN_DRIVE_CLOSING_SESSION || status == burn::BURN_DRIVE_WRITING_LEADOUT) {
      advanceTo(count);
      closeSession();
    }
  });
  const bool well = followed && burn::burn_drive_wrote_well(d);
  if (well) {
    advanceTo(count);
    if (shownPercent != 100) job.Post([ev, t = track] { ev.trackProgress(100, t); });
    closeSession();
  }
  return well;
}

Outcome WriteReal(BurnJob& job, const AudioBurnRequest& r, const AudioBurnEvents& ev) {
  BurnLib::GrabbedDrive drive(r.writer.device, true);
  burn::burn_drive* d = drive.get();
  if (!d) return {BurnErrWriter, "The writer " + r.writer.model + " cannot be opened."};
  const burn::burn_disc_status status = burn::burn_disc_get_status(d);
  if (status != burn::BURN_DISC_BLANK && status != burn::BURN_DISC_APPENDABLE)
    return {BurnErrWriter, status == burn::BURN_DISC_EMPTY ? "No disc" : "Disc is not blank"};

  // The tracks are decoded before the write, so the writer is never kept waiting.
  QDir cacheDir(ProgramFolder() + "/burncache");
  cacheDir.removeRecursively();
  if (!QDir().mkpath(cacheDir.path())) return {BurnErrWrite, "Cannot make " + cacheDir.path() + "."};
  std::vector<std::unique_ptr<QFile>> files;
  std::unique_ptr<BackgroundWriter> writer;
  std::vector<long long> sectors;
  Outcome outcome = CacheTracks(job, r.tracks, ev, [&](int i) -> BackgroundWriter* {
    files.push_back(std::make_unique<QFile>(cacheDir.filePath(QString("track%1.pcm").arg(i + 1))));
    if (!files.back()->open(QIODevice::WriteOnly)) return nullptr;
    writer = std::make_unique<BackgroundWriter>(*files.back());
    return writer.get();
  }, [&](int, QString* error) {
    const bool ok = writer->Finish(error);
    writer.reset();
    files.back()->close();
    return ok;
  }, &sectors);
  writer.reset();
  if (outcome.code) {
    cacheDir.removeRecursively();
    return outcome;
  }

  burn::burn_disc* disc = burn::burn_disc_create();
  burn::burn_session* session = burn::burn_session_create();
  burn::burn_disc_add_session(disc, session, BURN_POS_END);
  std::vector<burn::burn_track*> tracks;
  std::vector<burn::burn_source*> sources;
  for (size_t i = 0; i < files.size(); ++i) {
    burn::burn_track* t = burn::burn_track_create();
    burn::burn_track_define_data(t, 0, 0, 1, BURN_AUDIO);
    if (i > 0) burn::burn_track_set_pregap_size(t, kPregapSectors, 0);
    burn::burn_source* src = burn::burn_file_source_new(QFile::encodeName(files[i]->fileName()).constData(), nullptr);
    burn::burn_track_set_source(t, src);
    burn::burn_session_add_track(session, t, BURN_POS_END);
    tracks.push_back(t);
    sources.push_back(src);
  }
  burn::burn_write_opts* opts = burn::burn_write_opts_new(d);
  burn::burn_write_opts_set_write_type(opts, r.discAtOnce ? burn::BURN_WRITE_SAO : burn::BURN_WRITE_TAO,
                                       r.discAtOnce ? burn::BURN_BLOCK_SAO : burn::BURN_BLOCK_RAW0);
  burn::burn_write_opts_set_underrun_proof(opts, 1);
  burn::burn_write_opts_set_multi(opts, 0);
  burn::burn_drive_set_speed(d, 0, int(r.speed));
  char reasons[BURN_REASONS_LEN] = {0};
  if (burn::burn_precheck_write(opts, disc, reasons, 0) <= 0) {
    outcome = {BurnErrWriter, "The writer refuses this write: " + QString::fromLocal8Bit(reasons)};
  } else {
    burn::burn_disc_write(opts, disc);
    if (!FollowWrite(job, d, sectors, ev))
      outcome = job.Aborting() ? AbortedOutcome() : Outcome{BurnErrWrite, "The write failed. " + BurnLib::LastMessage()};
  }
  burn::burn_write_opts_free(opts);
  for (burn::burn_source* s : sources) burn::burn_source_free(s);
  for (burn::burn_track* t : tracks) burn::burn_track_free(t);
  burn::burn_session_free(session);
  burn::burn_disc_free(disc);
  cacheDir.removeRecursively();
  return outcome;
}
}  // namespace

void Run(BurnJob& job, const AudioBurnRequest& request, const AudioBurnEvents& ev) {
  const Outcome outcome = request.writer.kind == BurnDrives::Kind::AudioImage ? WriteImage(job, request, ev)
                                                                               : WriteReal(job, request, ev);
  if (outcome.code) job.PostEnd([ev, outcome] { ev.error(outcome.code, outcome.text); });
  else job.PostEnd([ev] { ev.finished(); });
}
}  // namespace AudioDiscWriter
