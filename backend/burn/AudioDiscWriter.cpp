#include "backend/burn/AudioDiscWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "backend/audio/PathSources.h"
#include "backend/audio/PcmSource.h"
#include "backend/audio/WavFile.h"
#include "backend/burn/BackgroundWriter.h"
#include "backend/burn/BurnErrors.h"
#include "backend/burn/BurnLib.h"
#include "platform/HiddenTemp.h"
#include "platform/RunFolder.h"

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
  const long long sectors = TrackSectors(bytes / 4);
  QString error;
  if (!out.WriteZeros(sectors * kSectorBytes - bytes, &error)) {
    *outcome = {BurnErrWrite, error};
    return -1;
  }
  return sectors;
}

// Narrows the samples of a CD-audio WAV to the track's range, sample for
// sample as the decoder places a range.
void NarrowToRange(const AudioTrack& track, qint64* offset, qint64* size) {
  constexpr qint64 kFrameBytes = 4;
  const qint64 frames = *size / kFrameBytes;
  const qint64 first = track.start > 0 ? std::min<qint64>(llround(track.start * 44100), frames) : 0;
  const qint64 left = frames - first;
  const qint64 count = track.length >= 0 ? std::min<qint64>(llround(track.length * 44100), left) : left;
  *offset += first * kFrameBytes;
  *size = count * kFrameBytes;
}

// The frames a track will have, known before decoding: exact for a CD-audio
// WAV, from the header's length for other files; -1 when the file cannot be read.
long long PlannedFrames(const AudioTrack& track) {
  QFile wav(track.path);
  qint64 offset = 0, size = 0;
  if (wav.open(QIODevice::ReadOnly) && FindCdAudio(wav, &offset, &size)) {
    NarrowToRange(track, &offset, &size);
    return size / 4;
  }
  AudioInfo info;
  QString error;
  if (!ProbeSourcePath(track.path, &info, &error)) return -1;
  const double whole = double(info.durationMs) / 1000.0;
  const double from = std::clamp(track.start, 0.0, whole);
  const double seconds = track.length >= 0 ? std::min(track.length, whole - from) : whole - from;
  return llround(seconds * 44100);
}

QString MinutesText(long long sectors) {
  const long long seconds = sectors / 75;
  return QString("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0'));
}

// Refuses what no audio CD holds: more than 99 tracks, or more sectors than
// the disc has room for.
Outcome CheckLimits(size_t tracks, long long sectors, long long roomSectors) {
  if (tracks > size_t(kMaxTracks))
    return {BurnErrTooMuch, QString("An audio CD holds at most %1 tracks; these are %2.").arg(kMaxTracks).arg(tracks)};
  if (sectors > roomSectors)
    return {BurnErrTooMuch, "The tracks take " + MinutesText(sectors) + " minutes, more than the disc holds (" +
                                MinutesText(roomSectors) + ")."};
  return {};
}

// The check before anything is decoded.
Outcome CheckPlanned(const std::vector<AudioTrack>& tracks, long long roomSectors) {
  std::vector<long long> frames;
  for (const AudioTrack& t : tracks) frames.push_back(std::max<long long>(PlannedFrames(t), 0));
  return CheckLimits(tracks.size(), DiscSectors(frames), roomSectors);
}

// The check of the decoded tracks, before they go onto the disc.
Outcome CheckCached(const std::vector<long long>& sectors, long long roomSectors) {
  long long total = sectors.empty() ? 0 : kPregapSectors * (long long)(sectors.size() - 1);
  for (long long s : sectors) total += s;
  return CheckLimits(sectors.size(), total, roomSectors);
}

// Decodes (or copies) one file to CD audio at the end of out; the track's
// sectors, with its padding, or -1 with the outcome set.
long long DecodeTrack(BurnJob& job, const AudioTrack& track, BackgroundWriter& out,
                      const std::function<void(double)>& progress, Outcome* outcome) {
  const QString& path = track.path;
  QString error;
  qint64 bytes = 0;
  // A WAV that already holds CD audio needs no decoding: its samples are copied.
  QFile wav(path);
  qint64 offset = 0, size = 0;
  if (wav.open(QIODevice::ReadOnly) && FindCdAudio(wav, &offset, &size)) {
    NarrowToRange(track, &offset, &size);
    bytes = CopyCdAudio(job, wav, offset, size, out, progress, outcome);
    return bytes < 0 ? -1 : PadTrack(out, bytes, outcome);
  }
  auto source = MakeFileSource(path, track.start, track.length);
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
  for (const AudioTrack& t : r.tracks)
    if (QFileInfo(t.path).canonicalFilePath() == target.canonicalFilePath() && target.exists()) return true;
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
Outcome CacheTracks(BurnJob& job, const std::vector<AudioTrack>& tracks, const AudioBurnEvents& ev,
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

// An image written under hidden names beside its place; empty for a disc.
// The hidden files stay locked until the image is placed or discarded.
struct WrittenImage {
  std::shared_ptr<HiddenTemp> binTemp, cueTemp;
  QString bin, cue;
  // The BIN first: a CUE never names a BIN that is not complete.
  Outcome Place() const {
    if (cue.isEmpty()) return {};
    const bool placed = BurnLib::ReplaceWith(binTemp->Path(), bin) && BurnLib::ReplaceWith(cueTemp->Path(), cue);
    Discard();  // what was not placed, and the locks
    if (placed) return {};
    return {BurnErrWrite, "Cannot write the image " + cue + "."};
  }
  void Discard() const {
    if (cue.isEmpty()) return;
    binTemp->Remove();
    cueTemp->Remove();
  }
};

Outcome WriteImage(BurnJob& job, const AudioBurnRequest& r, const AudioBurnEvents& ev, WrittenImage* written) {
  const QString cue = r.writer.device;
  const QFileInfo cueInfo(cue);
  const QString bin = cueInfo.absolutePath() + "/" + cueInfo.completeBaseName() + ".bin";
  if (IsSource(r, cue) || IsSource(r, bin)) return {BurnErrWriter, "The image " + bin + " is one of the tracks."};
  if (const Outcome limits = CheckPlanned(r.tracks, kCdSectors); limits.code) return limits;
  auto binTemp = std::make_shared<HiddenTemp>(bin), cueTemp = std::make_shared<HiddenTemp>(cue);
  binTemp->Make();
  cueTemp->Make();
  QFile binFile(binTemp->Path());
  QFile cueFile(cueTemp->Path());
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
  if (!outcome.code) outcome = CheckCached(sectors, kCdSectors);
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
  *written = {binTemp, cueTemp, bin, cue};
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
  const long long room = burn::burn_disc_available_space(d, nullptr) / 2048;
  if (const Outcome limits = CheckPlanned(r.tracks, room); limits.code) return limits;

  // The tracks are decoded before the write, so the writer is never kept waiting.
  // A second program may be writing its own CD at the same time.
  RunFolder cache(RunFolder::SharedFolder(RunFolder::Place::BurnCache));
  if (!cache.Make()) return {BurnErrWrite, "Cannot make " + cache.Path() + "."};
  const QDir cacheDir(cache.Path());
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
  if (!outcome.code) outcome = CheckCached(sectors, room);
  if (outcome.code) return outcome;

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
  return outcome;
}
}  // namespace

long long TrackSectors(long long frames) {
  return std::max<long long>((frames + kSectorFrames - 1) / kSectorFrames, kMinTrackSectors);
}

long long DiscSectors(const std::vector<long long>& trackFrames) {
  long long sectors = trackFrames.empty() ? 0 : kPregapSectors * (long long)(trackFrames.size() - 1);
  for (long long frames : trackFrames) sectors += TrackSectors(frames);
  return sectors;
}

// The ending is decided on the UI thread: an Abort confirmed before it arrives
// ends the write aborted, even when the thread had already written all, and
// the image written meanwhile (removed by the abort) never replaces the old one.
void Run(BurnJob& job, const AudioBurnRequest& request, const AudioBurnEvents& ev) {
  WrittenImage image;
  const Outcome outcome = request.writer.kind == BurnDrives::Kind::AudioImage ? WriteImage(job, request, ev, &image)
                                                                               : WriteReal(job, request, ev);
  job.PostEnd(
      [&job, ev, outcome, image] {
        const Outcome end = job.Aborting() ? AbortedOutcome() : outcome.code ? outcome : image.Place();
        if (end.code) ev.error(end.code, end.text);
        else ev.finished();
      },
      [image] { image.Discard(); });
}
}  // namespace AudioDiscWriter
