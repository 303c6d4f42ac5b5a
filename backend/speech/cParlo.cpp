#include "platform/speech/cParlo.h"

#include <SDL.h>
#include <espeak-ng/speak_lib.h>

#include <QFile>
#include <atomic>
#include <cmath>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "backend/audio/OutputFile.h"
#include "backend/audio/SdlPlayback.h"
#include "backend/audio/WavFile.h"

namespace {
// The formats offered, in the order and with the ids the format names have
// always had: for each rate, 8-bit mono and stereo, then 16-bit mono and stereo.
constexpr int kRates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
constexpr long kFirstFormatId = 4;
constexpr long kFormatCount = 9 * 4;

struct AudioFormat {
  int rate = 22050;
  int bits = 16;
  int channels = 1;
};

AudioFormat formatOf(long id) {
  if (id < kFirstFormatId || id >= kFirstFormatId + kFormatCount) return {};
  const long i = id - kFirstFormatId;
  return {kRates[i / 4], i % 4 >= 2 ? 16 : 8, i % 2 == 1 ? 2 : 1};
}

QString formatName(long id) {
  const AudioFormat f = formatOf(id);
  return QString("SAFT%1kHz%2Bit%3").arg(f.rate / 1000).arg(f.bits).arg(f.channels == 2 ? "Stereo" : "Mono");
}

struct Word {
  int ms;      // where it is heard
  long start;  // UTF-16 position in the text
  long length;
};

// espeak-ng is one engine per process and not reentrant: every use holds this
// lock, and the synthesis callback reaches the caller's sinks through it.
class Engine {
 public:
  static Engine& get() {
    static Engine engine;
    return engine;
  }
  bool Ready() const { return rate_ > 0; }
  int Rate() const { return rate_; }
  std::vector<QString> Voices() {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<QString> names;
    if (!Ready()) return names;
    for (const espeak_VOICE** v = espeak_ListVoices(nullptr); v && *v; ++v) names.push_back(QString::fromUtf8((*v)->name));
    return names;
  }
  using Sink = std::function<bool(const int16_t*, int)>;  // false stops the synthesis
  // Synthesises the text with the voice (a position in Voices()), words per
  // minute and volume (100 normal); the words' positions count UTF-16 units.
  bool Synth(const QString& text, long voice, int wpm, int volume, const Sink& sink, std::vector<Word>* words) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!Ready()) return false;
    const espeak_VOICE** list = espeak_ListVoices(nullptr);
    long count = 0;
    while (list && list[count]) ++count;
    if (voice >= 0 && voice < count) espeak_SetVoiceByName(list[voice]->name);
    espeak_SetParameter(espeakRATE, wpm, 0);
    espeak_SetParameter(espeakVOLUME, volume, 0);
    // Punctuation that would otherwise be dropped is read out; no markup.
    static const wchar_t kSpoken[] = L"<>";
    espeak_SetPunctuationList(kSpoken);
    espeak_SetParameter(espeakPUNCTUATION, espeakPUNCT_SOME, 0);
    sink_ = &sink;
    words_ = words;
    utf16At_.clear();
    for (long i = 0; i < text.size(); ++i) {
      utf16At_.push_back(i);
      if (text[i].isHighSurrogate() && i + 1 < text.size()) ++i;
    }
    utf16At_.push_back(text.size());
    const QByteArray utf8 = text.toUtf8();
    const espeak_ERROR result =
        espeak_Synth(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
    espeak_Synchronize();
    sink_ = nullptr;
    words_ = nullptr;
    return result == EE_OK;
  }

 private:
  Engine() {
    rate_ = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 200, nullptr, 0);
    if (rate_ > 0) espeak_SetSynthCallback(&Engine::Callback);
  }
  ~Engine() {
    if (rate_ > 0) espeak_Terminate();
  }
  static int Callback(short* wav, int samples, espeak_EVENT* events) {
    Engine& e = get();
    for (espeak_EVENT* ev = events; ev && ev->type != espeakEVENT_LIST_TERMINATED; ++ev) {
      if (ev->type != espeakEVENT_WORD || !e.words_) continue;
      // text_position counts characters from 1.
      const long first = std::clamp<long>(ev->text_position - 1, 0, long(e.utf16At_.size()) - 1);
      const long last = std::clamp<long>(first + ev->length, 0, long(e.utf16At_.size()) - 1);
      const long length = e.utf16At_[size_t(last)] - e.utf16At_[size_t(first)];
      if (length > 0) e.words_->push_back({ev->audio_position, e.utf16At_[size_t(first)], length});
    }
    if (!wav || samples <= 0) return 0;
    return e.sink_ && !(*e.sink_)(wav, samples) ? 1 : 0;
  }
  std::mutex lock_;
  int rate_ = 0;
  const Sink* sink_ = nullptr;
  std::vector<Word>* words_ = nullptr;
  std::vector<long> utf16At_;  // UTF-16 position of each character
};

int wordsPerMinute(long rate) {
  const double wpm = espeakRATE_NORMAL * std::pow(1.1, std::clamp(rate, -10L, 10L));
  return std::clamp(int(std::lround(wpm)), espeakRATE_MINIMUM, espeakRATE_MAXIMUM);
}

SDL_AudioFormat sdlFormat(const AudioFormat& f) { return f.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB; }
}  // namespace

// Speech under way: the engine renders on a worker into the output's queue;
// the UI thread's poll raises each word once the output has played up to it.
struct cParlo::Speech {
  SDL_AudioDeviceID device = 0;
  SDL_AudioStream* stream = nullptr;
  AudioFormat format;
  std::thread worker;
  std::atomic<bool> cancel{false};
  std::atomic<bool> rendered{false};
  std::mutex lock;
  std::vector<Word> words;  // filled by the worker
  size_t raised = 0;
  uint64_t queuedBytes = 0;
  ~Speech() {
    cancel = true;
    if (worker.joinable()) worker.join();
    if (device) SDL_CloseAudioDevice(device);
    if (stream) SDL_FreeAudioStream(stream);
  }
  int BytesPerSecond() const { return format.rate * format.channels * format.bits / 8; }
};

cParlo::cParlo(QObject* parent) : QObject(parent) {
  poll_.setInterval(20);
  connect(&poll_, &QTimer::timeout, this, &cParlo::Poll);
}

cParlo::~cParlo() { CloseSpeech(); }

long cParlo::GetVoiceCount() { return long(Engine::get().Voices().size()); }

QString cParlo::GetVoiceName(long& index) {
  const std::vector<QString> voices = Engine::get().Voices();
  return index >= 1 && index <= long(voices.size()) ? voices[size_t(index - 1)] : QString();
}

long cParlo::GetAudioOutputCount() {
  QString error;
  return SdlAudioInit(&error) ? std::max(SDL_GetNumAudioDevices(0), 0) : 0;
}

QString cParlo::GetAudioOutputName(long& index) {
  if (index < 1 || index > GetAudioOutputCount()) return QString();
  return QString::fromUtf8(SDL_GetAudioDeviceName(int(index - 1), 0));
}

void cParlo::InitSpeech() {
  for (long id = kFirstFormatId; id < kFirstFormatId + kFormatCount; ++id) emit FormatFound(formatName(id), id);
}

bool cParlo::IsSpeaking() const { return speech_ != nullptr; }

void cParlo::Speak(const QString& text) {
  StopSpeaking();
  QString error;
  if (!Engine::get().Ready() || !SdlAudioInit(&error)) return;
  auto speech = std::make_unique<Speech>();
  speech->format = formatOf(formatId_);
  SDL_AudioSpec want{}, have{};
  want.freq = speech->format.rate;
  want.format = sdlFormat(speech->format);
  want.channels = Uint8(speech->format.channels);
  want.samples = 1024;
  const long outputs = SDL_GetNumAudioDevices(0);
  const char* name = outputIndex_ >= 0 && outputIndex_ < outputs ? SDL_GetAudioDeviceName(int(outputIndex_), 0) : nullptr;
  speech->device = SDL_OpenAudioDevice(name, 0, &want, &have, 0);
  speech->stream = SDL_NewAudioStream(AUDIO_S16SYS, 1, Engine::get().Rate(), want.format, want.channels, want.freq);
  if (!speech->device || !speech->stream) return;
  SDL_PauseAudioDevice(speech->device, 0);
  Speech* s = speech.get();
  const long voice = voiceIndex_;
  const int wpm = wordsPerMinute(rate_), volume = int(std::clamp(volume_, 0L, 100L));
  s->worker = std::thread([s, text, voice, wpm, volume] {
    std::vector<Word> words;
    std::vector<uint8_t> out;
    auto queue = [s, &out] {
      const int available = SDL_AudioStreamAvailable(s->stream);
      out.resize(size_t(available));
      const int got = SDL_AudioStreamGet(s->stream, out.data(), available);
      if (got <= 0) return;
      std::lock_guard<std::mutex> guard(s->lock);
      SDL_QueueAudio(s->device, out.data(), Uint32(got));
      s->queuedBytes += uint64_t(got);
    };
    Engine::Sink sink = [s, &queue](const int16_t* pcm, int samples) {
      if (s->cancel) return false;
      SDL_AudioStreamPut(s->stream, pcm, samples * 2);
      queue();
      return true;
    };
    Engine::get().Synth(text, voice, wpm, volume, sink, &words);
    SDL_AudioStreamFlush(s->stream);
    queue();
    std::lock_guard<std::mutex> guard(s->lock);
    s->words = std::move(words);
    s->rendered = true;
  });
  speech_ = std::move(speech);
  poll_.start();
}

void cParlo::Poll() {
  if (!speech_) return poll_.stop();
  Speech& s = *speech_;
  std::vector<Word> due;
  bool finished = false;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    const uint64_t waiting = SDL_GetQueuedAudioSize(s.device);
    const uint64_t played = s.queuedBytes > waiting ? s.queuedBytes - waiting : 0;
    const double playedMs = double(played) * 1000.0 / s.BytesPerSecond();
    if (s.rendered) {
      // Once everything has played, the words still due are raised too.
      finished = waiting == 0;
      while (s.raised < s.words.size() && (finished || s.words[s.raised].ms <= playedMs))
        due.push_back(s.words[s.raised++]);
    }
  }
  for (const Word& w : due) {
    emit WordBoundary(w.start, w.length);
    if (!speech_) return;  // stopped from the handler
  }
  if (!finished) return;
  poll_.stop();
  speech_.reset();
  emit SpeakDone();
}

void cParlo::StopSpeaking() {
  poll_.stop();
  speech_.reset();
}

long cParlo::SpeakToFile(const QString& text, QString& path) {
  if (!Engine::get().Ready()) return 1;
  if (text.trimmed().isEmpty()) return 2;
  const AudioFormat f = formatOf(formatId_);
  SDL_AudioStream* stream =
      SDL_NewAudioStream(AUDIO_S16SYS, 1, Engine::get().Rate(), sdlFormat(f), Uint8(f.channels), f.rate);
  if (!stream) return 1;
  Engine::Sink sink = [stream](const int16_t* pcm, int samples) {
    return SDL_AudioStreamPut(stream, pcm, samples * 2) == 0;
  };
  const bool spoken = Engine::get().Synth(text, voiceIndex_, wordsPerMinute(rate_), int(std::clamp(volume_, 0L, 100L)), sink, nullptr);
  SDL_AudioStreamFlush(stream);
  QByteArray data(SDL_AudioStreamAvailable(stream), Qt::Uninitialized);
  const int got = SDL_AudioStreamGet(stream, data.data(), int(data.size()));
  SDL_FreeAudioStream(stream);
  if (!spoken || got <= 0) return 2;
  data.truncate(got);
  OutputFile file;
  QString error;
  const QByteArray header = WavFile::Header(f.channels, f.rate, f.bits, uint32_t(data.size()));
  if (!file.Open(path, &error) || !file.Write(header.constData(), size_t(header.size()), &error) ||
      !file.Write(data.constData(), size_t(data.size()), &error) || !file.Close(&error)) {
    file.Cancel();
    return 3;
  }
  return 0;
}

void cParlo::CloseSpeech() { StopSpeaking(); }
