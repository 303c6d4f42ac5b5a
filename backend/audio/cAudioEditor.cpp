#include "platform/audio/cAudioEditor.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "backend/audio/SdlPlayback.h"
#include "backend/audio/WavFile.h"
#include "platform/Form.h"

namespace {
// The peak summary: min and max per block of frames and channel, at a few
// block sizes, each built from the one before. The finest is small enough for
// a zoomed-in view and the whole summary of an hour of stereo stays a few MB.
constexpr int kFinestBlock = 256;
constexpr int kLevelFactor = 16;
constexpr int kLevels = 3;
constexpr qint64 kReadChunk = 1 << 20;
constexpr qint64 kSaveChunk = 256 * 1024;

struct PeakLevel {
  qint64 blockFrames = 0;
  std::vector<int16_t> minMax;  // [block][channel][min, max]
};

int16_t sampleAt(const uchar* p, int bits) {
  if (bits == 8) return int16_t((int(*p) - 128) << 8);
  return int16_t(p[0] | (p[1] << 8));
}

// A coarser level: each of its blocks spans kLevelFactor blocks of the finer.
PeakLevel coarser(const PeakLevel& fine, int channels) {
  PeakLevel out;
  out.blockFrames = fine.blockFrames * kLevelFactor;
  const size_t fineBlocks = fine.minMax.size() / size_t(2 * channels);
  const size_t blocks = (fineBlocks + kLevelFactor - 1) / kLevelFactor;
  out.minMax.assign(blocks * 2 * channels, 0);
  for (size_t b = 0; b < blocks; ++b) {
    for (int c = 0; c < channels; ++c) {
      int16_t lo = INT16_MAX, hi = INT16_MIN;
      for (size_t f = b * kLevelFactor; f < std::min(fineBlocks, (b + 1) * kLevelFactor); ++f) {
        lo = std::min(lo, fine.minMax[(f * channels + c) * 2]);
        hi = std::max(hi, fine.minMax[(f * channels + c) * 2 + 1]);
      }
      out.minMax[(b * channels + c) * 2] = lo;
      out.minMax[(b * channels + c) * 2 + 1] = hi;
    }
  }
  return out;
}
}  // namespace

struct cAudioEditor::Loaded {
  QString path;
  WavLayout layout;
  std::vector<PeakLevel> levels;
};

struct cAudioEditor::Loader {
  std::thread thread;
  std::atomic<bool> abort{false};
  ~Loader() {
    abort = true;
    if (thread.joinable()) thread.join();
  }
};

struct cAudioEditor::Save {
  QFile source;
  QSaveFile target;
  qint64 next = 0, end = 0, begin = 0;
  long percent = -1;
};

struct cAudioEditor::Playback {
  SdlPlayback sdl;
};

cAudioEditor::cAudioEditor(QWidget* parent) : QWidget(parent) {
  setMinimumSize(100, 60);
}

cAudioEditor::~cAudioEditor() { CloseEditor(); }

void cAudioEditor::SetViewForeColor(long color) {
  foreColor_ = color;
  update();
}
void cAudioEditor::SetViewBackColor(long color) {
  backColor_ = color;
  update();
}
void cAudioEditor::SetViewBackColor2(long color) {
  backColor2_ = color;
  update();
}

void cAudioEditor::OpenWaveFile(const QString& path) {
  StopPlay();
  loader_.reset();
  loaded_.reset();
  update();
  const int generation = ++generation_;
  loader_ = std::make_unique<Loader>();
  std::atomic<bool>& abort = loader_->abort;
  // The summary is built on a worker; the results come back queued and are
  // dropped when another file was opened meanwhile.
  loader_->thread = std::thread([this, path, generation, &abort] {
    auto result = std::make_shared<Loaded>();
    result->path = path;
    QString error;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) error = "The file " + path + " cannot be opened.";
    else WavFile::ReadLayout(file, &result->layout, &error);
    const WavLayout l = result->layout;
    if (error.isEmpty()) {
      QMetaObject::invokeMethod(this, [this, generation, l] {
        if (generation != generation_) return;
        emit FileInfo(l.sampleRate, l.bits, l.channels, long(l.Frames() / l.sampleRate), long(l.Frames()));
      }, Qt::QueuedConnection);
      PeakLevel finest;
      finest.blockFrames = kFinestBlock;
      const qint64 frames = l.Frames();
      finest.minMax.assign(size_t((frames + kFinestBlock - 1) / kFinestBlock) * 2 * l.channels, 0);
      std::vector<int16_t> lo(l.channels, INT16_MAX), hi(l.channels, INT16_MIN);
      QByteArray buffer;
      const qint64 chunkFrames = kReadChunk / l.blockAlign;
      file.seek(l.dataOffset);
      for (qint64 done = 0; done < frames && !abort;) {
        const qint64 want = std::min(chunkFrames, frames - done);
        buffer = file.read(want * l.blockAlign);
        const qint64 got = buffer.size() / l.blockAlign;
        if (got == 0) break;
        const uchar* p = reinterpret_cast<const uchar*>(buffer.constData());
        const int step = l.bits / 8;
        for (qint64 f = 0; f < got; ++f) {
          for (int c = 0; c < l.channels; ++c, p += step) {
            const int16_t s = sampleAt(p, l.bits);
            lo[c] = std::min(lo[c], s);
            hi[c] = std::max(hi[c], s);
          }
          const qint64 frame = done + f;
          if ((frame + 1) % kFinestBlock == 0 || frame + 1 == frames) {
            const size_t block = size_t(frame / kFinestBlock);
            for (int c = 0; c < l.channels; ++c) {
              finest.minMax[(block * l.channels + c) * 2] = lo[c];
              finest.minMax[(block * l.channels + c) * 2 + 1] = hi[c];
              lo[c] = INT16_MAX;
              hi[c] = INT16_MIN;
            }
          }
        }
        const long before = long(done * 100 / frames);
        done += got;
        if (const long percent = long(done * 100 / frames); percent != before)
          QMetaObject::invokeMethod(this, [this, generation, percent] {
            if (generation == generation_) emit Progress(percent);
          }, Qt::QueuedConnection);
      }
      result->levels.push_back(std::move(finest));
      for (int i = 1; i < kLevels; ++i) result->levels.push_back(coarser(result->levels.back(), l.channels));
    }
    if (abort) return;
    QMetaObject::invokeMethod(this, [this, generation, result, error] {
      if (generation != generation_) return;
      if (!error.isEmpty()) {
        emit Error(1, error);
        return;
      }
      loaded_ = std::make_unique<Loaded>(std::move(*result));
      viewStart_ = 0;
      viewEnd_ = loaded_->layout.Frames();
      selStart_ = selEnd_ = 0;
      update();
      emit LoadDone();
    }, Qt::QueuedConnection);
  });
}

qint64 cAudioEditor::FrameAt(int x) const {
  if (width() <= 0) return viewStart_;
  const qint64 frame = viewStart_ + (viewEnd_ - viewStart_) * std::clamp(x, 0, width()) / width();
  return std::clamp<qint64>(frame, 0, loaded_ ? loaded_->layout.Frames() : 0);
}

void cAudioEditor::SetSelection(qint64 startFrame, qint64 endFrame) {
  if (!loaded_) return;
  const qint64 frames = loaded_->layout.Frames();
  selStart_ = std::clamp<qint64>(std::min(startFrame, endFrame), 0, frames);
  selEnd_ = std::clamp<qint64>(std::max(startFrame, endFrame), 0, frames);
  update();
  const qint64 rate = loaded_->layout.sampleRate;
  emit SelectionChanged(long(selStart_), long(selEnd_), long(selStart_ * 1000 / rate), long(selEnd_ * 1000 / rate));
}

void cAudioEditor::mousePressEvent(QMouseEvent* event) {
  if (!loaded_ || event->button() != Qt::LeftButton) return;
  anchor_ = FrameAt(int(event->position().x()));
  SetSelection(anchor_, anchor_);
}

void cAudioEditor::mouseMoveEvent(QMouseEvent* event) {
  if (anchor_ < 0 || !(event->buttons() & Qt::LeftButton)) return;
  SetSelection(anchor_, FrameAt(int(event->position().x())));
}

void cAudioEditor::mouseReleaseEvent(QMouseEvent* event) {
  if (anchor_ < 0) return;
  SetSelection(anchor_, FrameAt(int(event->position().x())));
  anchor_ = -1;
}

void cAudioEditor::ZoomToSelection() {
  if (!loaded_ || selEnd_ <= selStart_) return;
  viewStart_ = selStart_;
  viewEnd_ = selEnd_;
  update();
}

void cAudioEditor::RestoreZoom() {
  if (!loaded_) return;
  viewStart_ = 0;
  viewEnd_ = loaded_->layout.Frames();
  update();
}

void cAudioEditor::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), ColorFromNumber(backColor_));
  if (!loaded_ || viewEnd_ <= viewStart_ || width() <= 0) return;
  // A wave in the back colour would be invisible: then it takes black or white.
  const QColor back = ColorFromNumber(backColor_);
  const QColor fore = foreColor_ != backColor_ ? ColorFromNumber(foreColor_)
                                               : (back.lightness() > 127 ? QColor(Qt::black) : QColor(Qt::white));
  const int w = width(), channels = loaded_->layout.channels;
  // The selection: the second back colour, with the wave's colour laid thinly
  // over it so that it shows even when both back colours are the same.
  if (selEnd_ > selStart_ && selEnd_ > viewStart_ && selStart_ < viewEnd_) {
    const qint64 span = viewEnd_ - viewStart_;
    const int x0 = int(std::max<qint64>(selStart_ - viewStart_, 0) * w / span);
    const int x1 = int(std::min<qint64>(selEnd_ - viewStart_, span) * w / span);
    const QRect band(x0, 0, std::max(x1 - x0, 1), height());
    p.fillRect(band, ColorFromNumber(backColor2_));
    QColor veil = fore;
    veil.setAlpha(60);
    p.fillRect(band, veil);
  }
  // The coarsest level whose blocks are no wider than a pixel's frames.
  const double framesPerPixel = double(viewEnd_ - viewStart_) / w;
  const PeakLevel* level = &loaded_->levels.front();
  for (const PeakLevel& l : loaded_->levels)
    if (l.blockFrames <= framesPerPixel) level = &l;
  const qint64 blocks = qint64(level->minMax.size()) / (2 * channels);
  const int laneHeight = height() / channels;
  p.setPen(fore);
  for (int c = 0; c < channels; ++c) {
    const int mid = laneHeight * c + laneHeight / 2;
    const double scale = (laneHeight / 2 - 1) / 32768.0;
    for (int x = 0; x < w; ++x) {
      const qint64 f0 = viewStart_ + qint64(x * framesPerPixel);
      const qint64 f1 = std::max(viewStart_ + qint64((x + 1) * framesPerPixel), f0 + 1);
      const qint64 b0 = f0 / level->blockFrames;
      const qint64 b1 = std::min((f1 - 1) / level->blockFrames, blocks - 1);
      int lo = INT16_MAX, hi = INT16_MIN;
      for (qint64 b = b0; b <= b1; ++b) {
        lo = std::min<int>(lo, level->minMax[size_t((b * channels + c) * 2)]);
        hi = std::max<int>(hi, level->minMax[size_t((b * channels + c) * 2 + 1)]);
      }
      if (lo > hi) continue;
      p.drawLine(x, mid - int(hi * scale), x, mid - int(lo * scale));
    }
  }
}

long cAudioEditor::Play() {
  if (!loaded_) {
    lastError_ = "No file is loaded.";
    return 1;
  }
  StopPlay();
  const double rate = loaded_->layout.sampleRate;
  const bool whole = selEnd_ <= selStart_;
  const double start = whole ? -1 : selStart_ / rate;
  const double length = whole ? -1 : (selEnd_ - selStart_) / rate;
  playback_ = std::make_unique<Playback>();
  const int generation = generation_;
  auto onEnd = [this, generation] {
    QMetaObject::invokeMethod(this, [this, generation] {
      if (generation != generation_ || !playback_) return;
      playback_.reset();
      emit PlayDone();
    }, Qt::QueuedConnection);
  };
  QString error;
  if (playback_->sdl.Open(loaded_->path, -1, onEnd, &error, start, length) != SdlPlayback::Opened) {
    playback_.reset();
    lastError_ = error;
    return 2;
  }
  return 0;
}

bool cAudioEditor::IsPaused() const { return playback_ && playback_->sdl.Paused(); }
void cAudioEditor::PausePlay() {
  if (playback_) playback_->sdl.SetPaused(true);
}
void cAudioEditor::ResumePlay() {
  if (playback_) playback_->sdl.SetPaused(false);
}
void cAudioEditor::StopPlay() { playback_.reset(); }

void cAudioEditor::SaveSelection() {
  if (save_) {
    emit Error(3, "A save is already under way.");
    return;
  }
  auto save = std::make_unique<Save>();
  QString error;
  WavLayout l;
  save->source.setFileName(saveSource_);
  if (!save->source.open(QIODevice::ReadOnly) || !WavFile::ReadLayout(save->source, &l, &error)) {
    emit Error(1, error.isEmpty() ? "The file " + saveSource_ + " cannot be opened." : error);
    return;
  }
  const qint64 frames = l.Frames();
  const qint64 first = std::clamp<qint64>(qint64(selectionStartMs_) * l.sampleRate / 1000, 0, frames);
  const qint64 count = std::clamp<qint64>(qint64(selectionLengthMs_) * l.sampleRate / 1000, 0, frames - first);
  save->begin = save->next = l.dataOffset + first * l.blockAlign;
  save->end = save->begin + count * l.blockAlign;
  save->target.setFileName(outputFile_);
  const QByteArray header = WavFile::Header(l.channels, l.sampleRate, l.bits, uint32_t(count * l.blockAlign));
  if (outputFile_.isEmpty() || !save->target.open(QIODevice::WriteOnly) ||
      save->target.write(header) != header.size()) {
    emit Error(4, "The file " + outputFile_ + " cannot be written.");
    return;
  }
  save_ = std::move(save);
  // The copy runs in pieces on the UI thread, so an abort between two pieces
  // is seen at once.
  QTimer::singleShot(0, this, &cAudioEditor::SaveStep);
}

void cAudioEditor::SaveStep() {
  if (!save_) return;
  Save& s = *save_;
  const qint64 want = std::min(kSaveChunk, s.end - s.next);
  if (want > 0) {
    if (!s.source.seek(s.next)) return EndSave("The file " + saveSource_ + " cannot be read.");
    const QByteArray data = s.source.read(want);
    if (data.size() != want) return EndSave("The file " + saveSource_ + " cannot be read.");
    if (s.target.write(data) != data.size()) return EndSave("The file " + outputFile_ + " cannot be written.");
    s.next += want;
  }
  const long percent = s.end > s.begin ? long((s.next - s.begin) * 100 / (s.end - s.begin)) : 100;
  if (percent != s.percent) {
    s.percent = percent;
    emit Progress(percent);
    if (!save_) return;  // aborted from the handler
  }
  if (s.next < s.end) {
    QTimer::singleShot(0, this, &cAudioEditor::SaveStep);
    return;
  }
  if (!s.target.commit()) return EndSave("The file " + outputFile_ + " cannot be written.");
  save_.reset();
  emit SaveDone();
}

void cAudioEditor::EndSave(const QString& error) {
  save_.reset();  // an uncommitted target is discarded with its temporary file
  emit Error(4, error);
}

void cAudioEditor::AbortEditor() {
  StopPlay();
  if (save_) EndSave("The save was aborted.");
}

void cAudioEditor::CloseEditor() {
  ++generation_;
  StopPlay();
  save_.reset();
  loader_.reset();
}
