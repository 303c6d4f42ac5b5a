#include "backend/audio/Mp3Sink.h"

#include <lame.h>

#include <algorithm>

namespace {
int BitrateAt(int32_t position) {
  constexpr int n = int(std::size(Mp3BitrateList));
  return Mp3BitrateList[std::clamp<int32_t>(position, 0, n - 1)];
}

// LAME wants UTF-16 with a byte-order mark.
std::vector<unsigned short> Utf16(const QString& text) {
  std::vector<unsigned short> v{0xFEFF};
  for (QChar c : text) v.push_back(c.unicode());
  v.push_back(0);
  return v;
}
}  // namespace

Mp3Sink::Mp3Sink(const Mp3FormatRecord& record, PcmFormat source) : record_(record) {
  format_.sampleRate = record.SampleRate > 0 ? record.SampleRate : source.sampleRate;
  format_.channels = record.Mode == 3 ? 1 : 2;
}

Mp3Sink::~Mp3Sink() {
  Cancel();
}

bool Mp3Sink::Configure(const AudioTags& tags, QString* error) {
  lame_t l = lame_;
  lame_set_in_samplerate(l, format_.sampleRate);
  lame_set_out_samplerate(l, format_.sampleRate);
  lame_set_num_channels(l, format_.channels);
  switch (record_.Mode) {
    case 0: lame_set_mode(l, STEREO); break;
    case 1: lame_set_mode(l, JOINT_STEREO); break;
    case 2: lame_set_mode(l, DUAL_CHANNEL); break;
    case 3: lame_set_mode(l, MONO); break;
    case 5: lame_set_mode(l, JOINT_STEREO); lame_set_force_ms(l, 1); break;
    default: break;  // not set: LAME chooses
  }
  lame_set_quality(l, std::clamp<int32_t>(record_.Quality, 0, 9));
  lame_set_copyright(l, record_.Copyright != 0);
  lame_set_original(l, record_.Original != 0);
  lame_set_error_protection(l, record_.ErrorProtection != 0);
  lame_set_strict_ISO(l, record_.StrictISO != 0);
  lame_set_bWriteVbrTag(l, record_.WriteVbrTag != 0);
  if (record_.VbrMethod == 3) {
    lame_set_VBR(l, vbr_abr);
    lame_set_VBR_mean_bitrate_kbps(l, record_.AbrBitrate);
  } else if (record_.VbrMethod == 4) {
    lame_set_VBR(l, vbr_default);
    lame_set_VBR_quality(l, float(std::clamp<int32_t>(record_.VbrQuality, 0, 9)));
  } else {
    lame_set_VBR(l, vbr_off);
    lame_set_brate(l, record_.Bitrate);
  }
  if (record_.VbrMethod == 3 || record_.VbrMethod == 4) {
    lame_set_VBR_min_bitrate_kbps(l, BitrateAt(record_.VbrMinBitrate));
    lame_set_VBR_max_bitrate_kbps(l, BitrateAt(record_.VbrMaxBitrate));
    lame_set_VBR_hard_min(l, record_.VbrForceMinBitrate != 0);
  }
  id3tag_init(l);
  id3tag_v2_only(l);
  lame_set_write_id3tag_automatic(l, 0);
  const std::pair<const char*, QString> frames[] = {{"TIT2", tags.title}, {"TPE1", tags.artist}, {"TALB", tags.album},
                                                    {"TYER", tags.year},  {"TRCK", tags.track},  {"TCON", tags.genre}};
  for (const auto& [id, text] : frames)
    if (!text.isEmpty()) id3tag_set_textinfo_utf16(l, id, Utf16(text).data());
  if (!tags.comment.isEmpty()) {
    auto desc = Utf16(QString());
    id3tag_set_comment_utf16(l, "eng", desc.data(), Utf16(tags.comment).data());
  }
  if (lame_init_params(l) < 0) {
    *error = QString("The MP3 encoder does not accept these settings (%1 Hz, %2 kbit/s).")
                 .arg(format_.sampleRate)
                 .arg(record_.Bitrate);
    return false;
  }
  return true;
}

bool Mp3Sink::Open(const QString& path, const AudioTags& tags, QString* error) {
  lame_ = lame_init();
  if (!lame_) {
    *error = "The MP3 encoder cannot start.";
    return false;
  }
  if (!Configure(tags, error) || !file_.Open(path, error)) return false;
  std::vector<unsigned char> tag(lame_get_id3v2_tag(lame_, nullptr, 0));
  tagSize_ = long(lame_get_id3v2_tag(lame_, tag.data(), tag.size()));
  return file_.Write(tag.data(), size_t(tagSize_), error);
}

bool Mp3Sink::Write(const void* data, int frames, QString* error) {
  const int16_t* pcm = static_cast<const int16_t*>(data);
  buf_.resize(size_t(frames) * 5 / 4 + 7200);
  int n = format_.channels == 2
              ? lame_encode_buffer_interleaved(lame_, const_cast<short*>(pcm), frames, buf_.data(), int(buf_.size()))
              : lame_encode_buffer(lame_, pcm, pcm, frames, buf_.data(), int(buf_.size()));
  if (n < 0) {
    *error = QString("The MP3 encoder failed (%1).").arg(n);
    return false;
  }
  return file_.Write(buf_.data(), size_t(n), error);
}

bool Mp3Sink::Finish(QString* error) {
  buf_.resize(7200);
  int n = lame_encode_flush(lame_, buf_.data(), int(buf_.size()));
  bool ok = n >= 0 && file_.Write(buf_.data(), size_t(n), error);
  if (ok && record_.WriteVbrTag) {
    unsigned char frame[2880];
    size_t size = lame_get_lametag_frame(lame_, frame, sizeof frame);
    ok = size == 0 || file_.WriteAt(tagSize_, frame, size, error);
  }
  if (n < 0) *error = QString("The MP3 encoder failed (%1).").arg(n);
  if (!ok || !file_.Close(error)) {
    Cancel();
    return false;
  }
  lame_close(lame_);
  lame_ = nullptr;
  return true;
}

void Mp3Sink::Cancel() {
  file_.Cancel();
  if (lame_) lame_close(lame_);
  lame_ = nullptr;
}
