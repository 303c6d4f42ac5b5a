#include "platform/audio/cAudioConverter.h"

#include "backend/audio/AudioDecoder.h"
#include "backend/audio/AudioJobRunner.h"
#include "backend/audio/CodecTables.h"
#include "backend/audio/SourceProbe.h"
#include "backend/audio/WorkAhead.h"

struct cAudioConverter::Probes {
  SourceProbe last;
  ProbePool ahead;
};

cAudioConverter::cAudioConverter(QObject* parent)
    : cAudioJobControl(parent), probes_(std::make_unique<Probes>()) {}

cAudioConverter::~cAudioConverter() { CloseJob(); }

void cAudioConverter::PrefetchSources(const QStringList& paths) {
  if (paths.isEmpty())
    probes_->ahead.Stop();
  else
    probes_->ahead.Start(paths);
}

long cAudioConverter::OpenSource(const QString& path) {
  SourceProbe& last = probes_->last;
  if (!probes_->ahead.Take(path, &last) || !last.Current(path)) last = SourceProbe::Of(path);
  if (!last.opened) return AudioErrInput;
  const AudioInfo& info = last.info;
  sampleRate_ = info.sampleRate;
  channels_ = info.channels;
  bitsPerSample_ = info.bitsPerSample;
  durationMs_ = long(info.durationMs);
  return 0;
}

// Probing keeps nothing open, so there is nothing to release.
void cAudioConverter::CloseSource() {}

long cAudioConverter::ReadSourceTags(const QString& path) {
  SourceProbe& last = probes_->last;
  if (!last.Current(path)) last = SourceProbe::Of(path);
  Settings().tags = last.tags;  // empty tags for a file that cannot be read
  return last.opened ? 0L : long(AudioErrInput);
}

QTime cAudioConverter::SecondsToTime(long seconds) const { return QTime(0, 0).addSecs(int(seconds)); }

std::shared_ptr<AheadJob> cAudioConverter::CurrentJob(bool) const {
  return FileJob(Settings(), inputFile_, rangeStart_, rangeLength_);
}

long cAudioConverter::StartConvert() {
  return StartTurn([this](int, int percent) { emit Progress(percent); });
}

void cAudioConverter::AbortConvert() { AbortJob(); }

void cAudioConverter::CloseConverter() { CloseJob(); }

void cAudioConverter::EnumAcmTags(long formatTag, long sampleRate, long channels, long bits, long flags) {
  const bool convert = (flags & ACM_FORMATENUMF_CONVERT) != 0;
  acmFilterRate_ = convert ? sampleRate : 0;
  acmFilterChannels_ = convert ? channels : 0;
  for (const CodecEntry& tag : AcmTags()) {
    bool offered = !convert;
    for (const CodecFormat& f : tag.formats)
      offered = offered || (f.sampleRate == sampleRate && f.channels == channels);
    if (offered) emit AcmTagFound(tag.name);
  }
}

void cAudioConverter::EnumAcmFormats(const QString& tagName) {
  const CodecEntry* tag = FindAcmTag(tagName);
  if (!tag) return;
  for (const CodecFormat& f : tag->formats) {
    if (acmFilterRate_ && (f.sampleRate != acmFilterRate_ || f.channels != acmFilterChannels_)) continue;
    emit AcmFormatFound(f.name);
  }
}

long cAudioConverter::GetWmaCodecCount() const { return long(WmaCodecs().size()); }

QString cAudioConverter::GetWmaCodecName(long position) const {
  const auto& codecs = WmaCodecs();
  return position >= 0 && size_t(position) < codecs.size() ? codecs[position].name : QString();
}

long cAudioConverter::GetWmaFormatCount(long codecPosition) const {
  const auto& codecs = WmaCodecs();
  return codecPosition >= 0 && size_t(codecPosition) < codecs.size() ? long(codecs[codecPosition].formats.size()) : 0;
}

QString cAudioConverter::GetWmaFormatName(long codecPosition, long position) const {
  if (position < 0 || position >= GetWmaFormatCount(codecPosition)) return QString();
  return WmaCodecs()[codecPosition].formats[position].name;
}
