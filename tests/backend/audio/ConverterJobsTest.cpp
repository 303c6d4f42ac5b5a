// The conversion control's jobs: ranges, tags, events, abort, and refusal of
// inputs that would harm or cannot be read.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QtEndian>
#include <algorithm>
#include <csignal>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

#include "AudioFixtures.h"
#include "JobWatcher.h"
#include "TestEnv.h"
#include "backend/audio/OutputFile.h"
#include "platform/audio/cAudioConverter.h"

using namespace AudioFixtures;

namespace {
void ToWav(cAudioConverter& c, int rate, int channels) {
  c.SetDestinationFormat(DestWav);
  c.SetWavFormat({rate, int16_t(channels), 16});
}

// Converts a range (seconds, -1 for none) of in to a 16-bit WAV (44.1 kHz
// stereo unless asked otherwise) and serves events until the job has ended.
void ConvertRange(cAudioConverter& c, JobWatcher& w, const QString& in, double start, double length, const QString& out,
                  int rate = 44100, int channels = 2) {
  ToWav(c, rate, channels);
  c.SetInputFile(in);
  c.SetRangeStart(start);
  c.SetRangeLength(length);
  c.SetOutputFile(out);
  c.StartConvert();
  w.Wait();
}

QByteArray Read(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}
}  // namespace

TEST(ConverterJobs, RangeStartsAndEndsAtTheRightSample) {
  const QString dir = TestEnv::FreshDir("range");
  const QString in = WriteWav(dir + "/ramp.wav", 8000, 1, 16, 3.0, Signal::Ramp);
  cAudioConverter c;
  ToWav(c, 8000, 1);
  c.SetInputFile(in);

  struct RangeCase {
    long start, length;
    int firstSample;
    size_t frames;
  };
  // The last part of a split asks for more than is left: it ends at the source's end.
  for (RangeCase rc : {RangeCase{1, 1, 8000, 8000}, RangeCase{2, 5, 16000, 8000}}) {
    JobWatcher w(c);
    c.SetRangeStart(rc.start);
    c.SetRangeLength(rc.length);
    c.SetOutputFile(dir + "/part.wav");
    c.StartConvert();
    ASSERT_TRUE(w.Wait());
    ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();
    const std::vector<int16_t> pcm = DecodePcm(dir + "/part.wav");
    ASSERT_EQ(pcm.size(), rc.frames);
    EXPECT_EQ(pcm.front(), rc.firstSample);
    EXPECT_EQ(pcm.back(), int16_t(rc.firstSample + rc.frames - 1));
  }

  // A range applies to the job it was set for only.
  JobWatcher w(c);
  c.SetOutputFile(dir + "/whole.wav");
  c.StartConvert();
  ASSERT_TRUE(w.Wait());
  EXPECT_EQ(DecodePcm(dir + "/whole.wav").size(), 24000u);
}

TEST(ConverterJobs, RangeOfACompressedSourceHasTheAskedLength) {
  const QString dir = TestEnv::FreshDir("range_mp3");
  const QString mp3 = Encode(WriteWav(dir + "/in.wav", 44100, 2, 16, 4.0), dir + "/in.mp3", {"-c:a", "libmp3lame", "-b:a", "128k"});
  cAudioConverter c;
  JobWatcher w(c);
  ToWav(c, 44100, 2);
  c.SetInputFile(mp3);
  c.SetRangeStart(1);
  c.SetRangeLength(2);
  c.SetOutputFile(dir + "/part.wav");
  c.StartConvert();
  ASSERT_TRUE(w.Wait());
  ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();
  EXPECT_EQ(DecodePcm(dir + "/part.wav").size(), 2u * 88200);
}

// A range of a compressed source holds exactly the samples a whole-file
// decode has at that place, whatever the codec's state reaches back to or
// however its container stamps the packets.
TEST(ConverterJobs, RangeOfACompressedSourceEqualsTheWholeFileDecode) {
  const QString dir = TestEnv::FreshDir("range_exact");
  const QString wav = WriteWav(dir + "/in.wav", 44100, 2, 16, 5.0);
  // Noise, a quiet stretch from 3 to 5.5 s, noise again: the quiet frames
  // are small and leave data for the loud ones to reach back to.
  const QString pause = dir + "/pause.wav";
  RunTool("ffmpeg", {"-v", "error", "-y", "-filter_complex",
                     "anoisesrc=d=8:a=0.4:seed=1[a];anoisesrc=d=8:a=0.4:seed=2:c=pink[b];[a][b]amerge,"
                     "volume=0:enable='between(t,3,5.5)'",
                     pause});
  auto ffmpeg = [&](const QString& source, const QStringList& args) {
    return [=](const QString& out) { return Encode(source, out, args); };
  };
  auto acm = [&](const char* tag, const char* format) {
    return [=](const QString& out) {
      cAudioConverter c;
      JobWatcher w(c);
      c.SetDestinationFormat(DestAcm);
      c.SetAcmFormat(tag, format);
      c.SetInputFile(wav);
      c.SetOutputFile(out);
      c.StartConvert();
      w.Wait();
      return out;
    };
  };
  struct ExactCase {
    const char* name;  // the file's extension
    std::function<QString(const QString& path)> make;
    int rate, channels;
    std::vector<double> starts;  // each a range of a second
  };
  const ExactCase cases[] = {
      {"mp3", ffmpeg(wav, {"-c:a", "libmp3lame", "-b:a", "128k"}), 44100, 2, {2}},
      // A low bit rate lets a frame's data reach back over several frames.
      {"mp3", ffmpeg(wav, {"-c:a", "libmp3lame", "-b:a", "32k"}), 44100, 2, {2}},
      {"mp3", ffmpeg(wav, {"-c:a", "libmp3lame", "-q:a", "4"}), 44100, 2, {2}},
      // MPEG-2 and 2.5 frames at their lowest bit rates carry a few bytes each:
      // the data a frame reaches back to spreads over dozens of them (at 8 kHz
      // over a few).
      {"mp3", ffmpeg(pause, {"-ar", "24000", "-c:a", "libmp3lame", "-q:a", "9"}), 24000, 2, {5.5}},
      {"mp3", ffmpeg(pause, {"-ar", "22050", "-ac", "1", "-c:a", "libmp3lame", "-q:a", "9"}), 22050, 1, {5.5}},
      {"mp3", ffmpeg(pause, {"-ar", "22050", "-c:a", "libmp3lame", "-q:a", "6"}), 22050, 2, {5.5}},
      {"mp3", ffmpeg(pause, {"-ar", "16000", "-c:a", "libmp3lame", "-b:a", "8k"}), 16000, 2, {5.5}},
      {"mp3", ffmpeg(pause, {"-ar", "8000", "-c:a", "libmp3lame", "-q:a", "9"}), 8000, 2, {5.5}},
      {"ogg", ffmpeg(wav, {"-c:a", "libvorbis"}), 44100, 2, {2}},
      {"wma", ffmpeg(wav, {"-c:a", "wmav2", "-b:a", "64k"}), 44100, 2, {2}},
      // ADPCM blocks are stamped by their byte position, which the stated byte rate only approximates.
      {"wav", acm("IMA ADPCM", "44100 Hz, 4 Bit, Stereo"), 44100, 2, {1.3, 2}},
      {"wav", acm("MS ADPCM", "22050 Hz, 4 Bit, Mono"), 22050, 1, {1.3, 2}},
      {"wav", ffmpeg(wav, {"-c:a", "adpcm_ima_wav"}), 44100, 2, {1.3, 2}},
      {"wav", ffmpeg(wav, {"-c:a", "adpcm_ms", "-ar", "22050"}), 22050, 2, {1.3, 2}},
      // Their decoders carry their state from the file's start.
      {"aiff", ffmpeg(wav, {"-c:a", "adpcm_ima_qt"}), 44100, 2, {1.3, 2}},
      {"vox", [](const QString& out) { return WriteVox(out, 8.0); }, 8000, 1, {1.3, 6}},
      {"wav", ffmpeg(wav, {"-ar", "8000", "-ac", "1", "-c:a", "libgsm_ms"}), 8000, 1, {1.3, 3.5}},
      {"gsm", ffmpeg(wav, {"-ar", "8000", "-ac", "1", "-c:a", "libgsm"}), 8000, 1, {1.3, 3.5}},
  };
  int row = 0;
  for (const ExactCase& ec : cases) {
    const QString in = ec.make(dir + "/in" + QString::number(++row) + "." + ec.name);
    SCOPED_TRACE(in.toStdString());
    cAudioConverter c;
    JobWatcher whole(c);
    ConvertRange(c, whole, in, -1, -1, dir + "/whole.wav", ec.rate, ec.channels);
    ASSERT_EQ(whole.ends, QStringList{"Done"}) << whole.errorText.toStdString();
    const std::vector<int16_t> all = DecodePcm(dir + "/whole.wav");
    for (double start : ec.starts) {
      SCOPED_TRACE("from " + std::to_string(start));
      JobWatcher part(c);
      ConvertRange(c, part, in, start, 1, dir + "/part.wav", ec.rate, ec.channels);
      ASSERT_EQ(part.ends, QStringList{"Done"}) << part.errorText.toStdString();
      const std::vector<int16_t> range = DecodePcm(dir + "/part.wav");
      const size_t first = size_t(std::llround(start * ec.rate)) * ec.channels;
      const size_t count = size_t(ec.rate) * ec.channels;
      ASSERT_EQ(range.size(), count);
      ASSERT_GE(all.size(), first + count);
      const std::vector<int16_t> same(all.begin() + first, all.begin() + first + count);
      const auto diff = std::mismatch(range.begin(), range.end(), same.begin());
      EXPECT_TRUE(diff.first == range.end()) << "first differing sample " << (diff.first - range.begin());
    }
  }
}

TEST(ConverterJobs, ARangeStartingPastTheEndEndsWithError) {
  const QString dir = TestEnv::FreshDir("range_past_end");
  const QString wav = WriteWav(dir + "/in.wav", 44100, 2, 16, 2.0);
  const QString mp3 = Encode(wav, dir + "/in.mp3", {"-c:a", "libmp3lame"});
  for (const QString& in : {wav, mp3}) {
    for (long start : {2L, 5L}) {
      SCOPED_TRACE(in.toStdString() + " from " + std::to_string(start));
      cAudioConverter c;
      JobWatcher w(c);
      ConvertRange(c, w, in, start, 1, dir + "/out/part.wav");
      EXPECT_EQ(w.ends, QStringList{"Error"});
      EXPECT_EQ(w.errorCode, AudioErrInput);
      EXPECT_TRUE(w.errorText.contains(in)) << w.errorText.toStdString();
      EXPECT_TRUE(FilesIn(dir + "/out").isEmpty());
    }
  }
}

namespace {
// Everything written to the process's standard error meanwhile.
class StderrCapture {
 public:
  StderrCapture() : file_(std::tmpfile()), saved_(dup(2)) {
    std::fflush(stderr);
    dup2(fileno(file_), 2);
  }
  ~StderrCapture() { std::fclose(file_); }
  QByteArray Stop() {
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    QFile f;
    std::rewind(file_);
    f.open(file_, QIODevice::ReadOnly);
    return f.readAll();
  }

 private:
  FILE* file_;
  int saved_;
};
}  // namespace

// Damaged inputs and seeks in files without an index make FFmpeg talk; what
// the user needs arrives in the job's error text, nothing on the terminal.
TEST(ConverterJobs, FfmpegLogLinesStayOffTheTerminal) {
  const QString dir = TestEnv::FreshDir("quiet");
  const QString wav = WriteWav(dir + "/in.wav", 44100, 2, 16, 3.0);
  const QByteArray mp3 = Read(Encode(wav, dir + "/in.mp3", {"-c:a", "libmp3lame"}));
  QFile cut(dir + "/cut.mp3");
  ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
  cut.write(mp3.left(mp3.size() / 2) + QByteArray(4000, '\x55') + mp3.mid(mp3.size() / 2 + 4000));
  cut.close();
  const QString wma = Encode(wav, dir + "/in.wma", {"-c:a", "wmav2"});
  StderrCapture capture;
  for (const QString& in : {dir + "/cut.mp3", wma}) {
    cAudioConverter c;
    JobWatcher w(c);
    ConvertRange(c, w, in, 1, 1, dir + "/out.wav");
  }
  // FFmpeg's lines begin with the name of the part speaking: "[mp3float @ 0x...]".
  const QByteArray said = capture.Stop();
  EXPECT_FALSE(said.startsWith('[') || said.contains("\n[")) << said.toStdString();
}

namespace {
struct TagCase {
  const char* name;
  long dest;
  const char* ext;
};
void PrintTo(const TagCase& c, std::ostream* os) { *os << c.name; }
class ConverterTags : public ::testing::TestWithParam<TagCase> {};
}  // namespace

TEST_P(ConverterTags, SevenTagsReadBack) {
  const TagCase& tc = GetParam();
  const QString dir = TestEnv::FreshDir(QString("tags_") + tc.name);
  const QString in = WriteWav(dir + "/in.wav", 44100, 2, 16, 0.5);
  cAudioConverter c;
  JobWatcher w(c);
  c.SetDestinationFormat(tc.dest);
  c.SetAcmFormat("PCM", "44100 Hz, 16 Bit, Stereo");
  c.SetTagAlbum("Album \u00e9t\u00e9");
  c.SetTagArtist("Artist \u2603");
  c.SetTagComment("A comment");
  c.SetTagGenre("Rock");
  c.SetTagTitle("Title \u00fc");
  c.SetTagTrack("7");
  c.SetTagYear("2024");
  c.SetInputFile(in);
  c.SetOutputFile(dir + "/out." + tc.ext);
  c.StartConvert();
  ASSERT_TRUE(w.Wait());
  ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();

  cAudioConverter reader;
  ASSERT_EQ(reader.ReadSourceTags(dir + "/out." + tc.ext), 0);
  EXPECT_EQ(reader.TagAlbum(), "Album \u00e9t\u00e9");
  EXPECT_EQ(reader.TagArtist(), "Artist \u2603");
  EXPECT_EQ(reader.TagComment(), "A comment");
  EXPECT_EQ(reader.TagGenre(), "Rock");
  EXPECT_EQ(reader.TagTitle(), "Title \u00fc");
  EXPECT_EQ(reader.TagTrack(), "7");
  EXPECT_EQ(reader.TagYear(), "2024");
  // An independent reader sees the title too.
  EXPECT_EQ(ProbeFile(dir + "/out." + tc.ext).tags.value("title"), "Title \u00fc");
}

INSTANTIATE_TEST_SUITE_P(AllFormats, ConverterTags,
                         ::testing::Values(TagCase{"Wav", DestWav, "wav"}, TagCase{"Acm", DestAcm, "wav"},
                                           TagCase{"Mp3", DestMp3, "mp3"}, TagCase{"Wma", DestWma, "wma"},
                                           TagCase{"Ogg", DestOgg, "ogg"}, TagCase{"Ape", DestApe, "ape"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConverterJobs, ReadingTagsOfAnUntaggedFileClearsThem) {
  const QString dir = TestEnv::FreshDir("notags");
  cAudioConverter c;
  c.SetTagTitle("old");
  EXPECT_EQ(c.ReadSourceTags(WriteWav(dir + "/in.wav", 8000, 1, 16, 0.1)), 0);
  EXPECT_EQ(c.TagTitle(), "");
}

TEST(ConverterJobs, EventsArriveAfterTheStartCallAndExactlyOnce) {
  const QString dir = TestEnv::FreshDir("async");
  const QString in = WriteWav(dir + "/in.wav", 8000, 1, 16, 0.2);
  for (const QString& out : {dir + "/out.wav", in}) {  // a job that succeeds and one that is refused
    cAudioConverter c;
    JobWatcher w(c);
    ToWav(c, 8000, 1);
    c.SetInputFile(in);
    c.SetOutputFile(out);
    ASSERT_EQ(c.StartConvert(), 0);
    EXPECT_TRUE(w.ends.isEmpty() && w.progress.empty());
    ASSERT_TRUE(w.Wait());
    EXPECT_EQ(w.ends.size(), 1);
  }
}

TEST(ConverterJobs, NextJobCanStartFromTheDoneHandler) {
  const QString dir = TestEnv::FreshDir("chain");
  const QString in = WriteWav(dir + "/in.wav", 8000, 1, 16, 0.2);
  cAudioConverter c;
  JobWatcher w(c);
  ToWav(c, 8000, 1);
  c.SetInputFile(in);
  int started = 1;
  QObject::connect(&c, &cAudioConverter::Done, [&] {
    if (started == 3) return;
    c.SetOutputFile(dir + QString("/out%1.wav").arg(++started));
    EXPECT_EQ(c.StartConvert(), 0);
  });
  c.SetOutputFile(dir + "/out1.wav");
  c.StartConvert();
  QElapsedTimer t;
  t.start();
  while (w.ends.size() < 3 && t.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_EQ(w.ends, (QStringList{"Done", "Done", "Done"}));
  EXPECT_EQ(FilesIn(dir), (QStringList{"in.wav", "out1.wav", "out2.wav", "out3.wav"}));
}

// Abort stops the job in every format, also while a frame of the slowest APE
// level (27 s of audio, coded in one Write) is being coded: that job is stopped
// a moment after 44 %, when its first frame is full. The abort is given from
// the progress event, so it always comes before the job's end is delivered;
// each case writes to a folder of its own.
TEST(ConverterJobs, AbortEndsWithAbortedAndLeavesNoFile) {
  const QString dir = TestEnv::FreshDir("abort");
  const QString in = WriteWav(dir + "/in.wav", 44100, 2, 16, 60.0);
  struct AbortCase {
    const char* name;
    long dest, apeLevel, atPercent, pauseMs;
  };
  const AbortCase cases[] = {{"WAV", DestWav, 0, 2, 0},      {"ACM", DestAcm, 0, 2, 0},
                             {"MP3", DestMp3, 0, 2, 0},      {"WMA", DestWma, 0, 2, 0},
                             {"OGG", DestOgg, 0, 2, 0},      {"APE fast", DestApe, 0, 2, 0},
                             {"APE slow", DestApe, 4, 44, 100}};
  for (const AbortCase& ac : cases) {
    SCOPED_TRACE(ac.name);
    const QString out = dir + "/" + QString(ac.name).replace(' ', '_');
    cAudioConverter c;
    JobWatcher w(c);
    c.SetDestinationFormat(ac.dest);
    c.SetAcmFormat("IMA ADPCM", "44100 Hz, 4 Bit, Stereo");
    c.SetApeLevel(ac.apeLevel);
    c.SetInputFile(in);
    c.SetOutputFile(out + "/out.bin");
    QElapsedTimer t;
    bool aborted = false;
    QObject context;
    QObject::connect(&c, &cAudioConverter::Progress, &context, [&](long percent) {
      if (aborted || percent < ac.atPercent) return;
      QThread::msleep(ac.pauseMs);
      aborted = true;
      t.start();
      c.AbortConvert();
    });
    QObject::connect(&c, &cAudioConverter::Aborted, &context,
                     [&] { std::printf("abort latency %s: %.1f ms\n", ac.name, t.nsecsElapsed() / 1e6); });
    c.StartConvert();
    ASSERT_TRUE(w.Wait());
    EXPECT_TRUE(aborted);
    EXPECT_EQ(w.ends, QStringList{"Aborted"});
    // A job that did not stop within the abort's grace ends on its own and
    // takes its temporary file with it.
    EXPECT_TRUE(cAudioConverter::WaitForStoppedJobs(30000));
    EXPECT_EQ(FilesIn(out).join(' '), "");
  }
}

TEST(ConverterJobs, AbortWithoutAJobDoesNothing) {
  cAudioConverter c;
  JobWatcher w(c);
  c.AbortConvert();
  w.Wait(0);
  EXPECT_TRUE(w.ends.isEmpty());
}

TEST(ConverterJobs, OutputEqualToTheInputIsRefused) {
  const QString dir = TestEnv::FreshDir("same");
  const QString in = WriteWav(dir + "/in.wav", 8000, 1, 16, 0.2);
  const QByteArray before = Read(in);
  QFile::link(in, dir + "/link.wav");
  for (const QString& out : {in, dir + "/./in.wav", dir + "/link.wav"}) {
    cAudioConverter c;
    JobWatcher w(c);
    ToWav(c, 44100, 2);
    c.SetInputFile(in);
    c.SetOutputFile(out);
    c.StartConvert();
    ASSERT_TRUE(w.Wait());
    EXPECT_EQ(w.ends, QStringList{"Error"}) << out.toStdString();
    EXPECT_EQ(w.errorCode, AudioErrSameFile);
  }
  EXPECT_EQ(Read(in), before);
  EXPECT_EQ(FilesIn(dir), (QStringList{"in.wav", "link.wav"}));
}

TEST(ConverterJobs, UnreadableInputsEndWithErrorAndNoOutput) {
  const QString dir = TestEnv::FreshDir("corrupt");
  QByteArray noise(20000, '\0');
  for (int i = 0; i < noise.size(); ++i) noise[i] = char((i * 7919) ^ (i >> 3));
  auto write = [&](const QString& name, const QByteArray& data) {
    QFile f(dir + "/" + name);
    f.open(QIODevice::WriteOnly);
    f.write(data);
    return dir + "/" + name;
  };
  const QByteArray wav = Read(WriteWav(dir + "/good.wav", 44100, 2, 16, 2.0));
  const QStringList inputs = {
      write("noise.wav", noise),
      write("text.mp3", "This is not audio at all.\n"),
      write("empty.ogg", QByteArray()),
      write("header_only.wav", wav.left(44)),
      // A rate no audio file has (1 GHz, 4 channels): refused at once instead
      // of building a resampler of gigabytes for a minute while Abort waits.
      WriteWavHeaderClaiming(dir + "/absurd_rate.wav", 1000000000, 4),
      dir + "/missing.wav",
  };
  for (const QString& in : inputs) {
    cAudioConverter c;
    JobWatcher w(c);
    ToWav(c, 44100, 2);
    c.SetInputFile(in);
    c.SetOutputFile(dir + "/out/out.wav");
    c.StartConvert();
    ASSERT_TRUE(w.Wait(10000)) << in.toStdString();
    EXPECT_EQ(w.ends, QStringList{"Error"}) << in.toStdString();
    EXPECT_EQ(w.errorCode, AudioErrInput) << in.toStdString();
    EXPECT_TRUE(w.errorText.contains(in)) << w.errorText.toStdString();
    EXPECT_TRUE(FilesIn(dir + "/out").isEmpty()) << in.toStdString();
    if (!in.contains("header_only")) {
      EXPECT_NE(cAudioConverter().OpenSource(in), 0);
    }
  }
}

// A PCM file whose audio ends in part of a frame (a recording cut short, an
// odd data length its header states) gives every whole frame; the part is
// dropped. As the length falls (1 or 1.024 s), the readers' packets hold the
// part behind whole frames or alone.
TEST(ConverterJobs, APcmFileEndingInPartOfAFrameGivesEveryWholeFrame) {
  const QString dir = TestEnv::FreshDir("partial_frame");
  // The sizes each container states that cover the audio: offset and byte order.
  struct SizeField {
    qsizetype offset;
    bool bigEndian;
  };
  struct PartialCase {
    const char* name;
    std::function<std::vector<SizeField>(const QByteArray& file)> sizes;
    int missing;  // bytes the sizes state beyond the file's end
  };
  auto wavSizes = [](const QByteArray& b) { return std::vector<SizeField>{{4, false}, {b.indexOf("data") + 4, false}}; };
  const PartialCase cases[] = {
      {"wav", wavSizes, 0},
      {"aiff", [](const QByteArray& b) { return std::vector<SizeField>{{4, true}, {b.indexOf("SSND") + 4, true}}; }, 0},
      {"au", [](const QByteArray&) { return std::vector<SizeField>{{8, true}}; }, 0},
      // A recording cut short inside a frame, its header stating more.
      {"wav", wavSizes, 40000},
  };
  auto write = [](const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
  };
  for (int frames : {8000, 8192}) {
    const QString wav = WriteWav(dir + "/in.wav", 8000, 2, 16, frames / 8000.0);
    const std::vector<int16_t> samples = DecodePcm(wav);
    int row = 0;
    for (const PartialCase& pc : cases) {
      const QByteArray whole = Read(Encode(wav, dir + "/whole." + pc.name));
      ++row;
      for (int extra = 1; extra <= 3; ++extra) {
        const QString in = dir + QString("/in%1_%2_%3.").arg(frames).arg(row).arg(extra) + pc.name;
        SCOPED_TRACE(in.toStdString());
        QByteArray bytes = whole + QByteArray(extra, '\x7f');
        for (const SizeField& f : pc.sizes(whole)) {
          const quint32 more = quint32(extra + pc.missing);
          uchar* field = reinterpret_cast<uchar*>(bytes.data() + f.offset);
          if (f.bigEndian)
            qToBigEndian(qFromBigEndian<quint32>(field) + more, field);
          else
            qToLittleEndian(qFromLittleEndian<quint32>(field) + more, field);
        }
        ASSERT_TRUE(write(in, bytes));
        cAudioConverter c;
        JobWatcher w(c);
        ConvertRange(c, w, in, -1, -1, dir + "/out.wav", 8000, 2);
        ASSERT_EQ(w.ends, QStringList{"Done"}) << w.errorText.toStdString();
        EXPECT_TRUE(DecodePcm(dir + "/out.wav") == samples);
      }
    }
  }
}

TEST(ConverterJobs, EncoderRefusalEndsWithError) {
  const QString dir = TestEnv::FreshDir("refused");
  const QString in = WriteWav(dir + "/in.wav", 8000, 1, 16, 0.2);
  cAudioConverter c;
  JobWatcher w(c);
  c.SetDestinationFormat(DestAcm);
  c.SetAcmFormat("GSM 6.10", "no such format");
  c.SetInputFile(in);
  c.SetOutputFile(dir + "/out.wav");
  c.StartConvert();
  ASSERT_TRUE(w.Wait());
  EXPECT_EQ(w.ends, QStringList{"Error"});
  EXPECT_EQ(FilesIn(dir), QStringList{"in.wav"});
}

namespace {
// Lets no file grow beyond a limit, as a full disk would.
struct FileSizeLimit {
  rlimit old{};
  explicit FileSizeLimit(rlim_t bytes) {
    signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit l = old;
    l.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &l);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
};
}  // namespace

// The disk fills while the audio is written and, one byte short of the whole
// output, at the final flush; the error says why.
TEST(ConverterJobs, AFullDiskEndsWithErrorAndLeavesNoPartialFile) {
  const QString dir = TestEnv::FreshDir("full");
  const QString in = WriteWav(dir + "/in.wav", 44100, 2, 16, 20.0);
  const QString reason = QString::fromLocal8Bit(strerror(EFBIG));
  for (auto [dest, ext] : {std::pair{DestWav, "wav"}, std::pair{DestMp3, "mp3"}, std::pair{DestOgg, "ogg"},
                           std::pair{DestWma, "wma"}, std::pair{DestApe, "ape"}}) {
    auto convert = [&](const QString& output, rlim_t limit) {
      cAudioConverter c;
      JobWatcher w(c);
      c.SetDestinationFormat(dest);
      c.SetInputFile(in);
      c.SetOutputFile(output);
      {
        FileSizeLimit fill(limit);
        c.StartConvert();
        EXPECT_TRUE(w.Wait());
      }
      return std::pair{w.ends, w.errorText};
    };
    const QString whole = dir + "/whole." + ext;
    ASSERT_EQ(convert(whole, RLIM_INFINITY).first, QStringList{"Done"}) << ext;
    const rlim_t size = rlim_t(QFileInfo(whole).size());
    ASSERT_GT(size, 64 * 1024u) << ext;
    for (rlim_t limit : {rlim_t(64 * 1024), size - 1}) {
      SCOPED_TRACE(std::string(ext) + " limit " + std::to_string(limit));
      const QString folder = dir + "/" + ext + QString::number(limit);
      const QString output = folder + "/out." + ext;
      const auto [ends, text] = convert(output, limit);
      EXPECT_EQ(ends, QStringList{"Error"});
      // The text names the user's file, not the hidden one being written.
      EXPECT_TRUE(text.contains(output)) << text.toStdString();
      EXPECT_TRUE(text.contains(reason)) << text.toStdString();
      EXPECT_FALSE(text.contains(".part")) << text.toStdString();
      EXPECT_EQ(FilesIn(folder).join(' '), "");
    }
  }
}

// Formats with 32-bit size fields stop at their limit (4 GB, lowered here):
// an output of exactly the limit is written, one byte more is refused before
// it is written, and the partial file is removed.
TEST(ConverterJobs, OutputsPastTheSizeFieldLimitAreRefused) {
  const QString dir = TestEnv::FreshDir("sizelimit");
  const QString in = WriteWav(dir + "/in.wav", 44100, 2, 16, 3.0);
  struct LimitCase {
    const char* name;
    long dest;
  };
  for (const LimitCase& lc : {LimitCase{"wav", DestWav}, LimitCase{"acm", DestAcm}, LimitCase{"ape", DestApe}}) {
    SCOPED_TRACE(lc.name);
    const QString out = dir + "/out/" + lc.name;
    struct Ending {
      QStringList ends;
      long code;
      QString text;
    };
    auto convert = [&] {
      cAudioConverter c;
      JobWatcher w(c);
      c.SetDestinationFormat(lc.dest);
      c.SetAcmFormat("IMA ADPCM", "44100 Hz, 4 Bit, Stereo");
      c.SetInputFile(in);
      c.SetOutputFile(out);
      c.StartConvert();
      w.Wait();
      return Ending{w.ends, w.errorCode, w.errorText};
    };
    ASSERT_EQ(convert().ends, QStringList{"Done"});
    const int64_t size = QFileInfo(out).size();
    QFile::remove(out);
    struct Restore {
      ~Restore() { SetSizeFieldLimit(0xFFFFFFFFll); }
    } restore;
    SetSizeFieldLimit(size);
    ASSERT_EQ(convert().ends, QStringList{"Done"});
    EXPECT_EQ(QFileInfo(out).size(), size);
    QFile::remove(out);

    SetSizeFieldLimit(size - 1);
    const Ending e = convert();
    EXPECT_EQ(e.ends, QStringList{"Error"});
    EXPECT_EQ(e.code, AudioErrOutput);
    EXPECT_TRUE(e.text.contains(out) && e.text.contains("4 GB")) << e.text.toStdString();
    EXPECT_TRUE(FilesIn(dir + "/out").isEmpty());
  }
}

TEST(ConverterJobs, CloseStopsTheJobWithoutEventsOrFiles) {
  const QString dir = TestEnv::FreshDir("close");
  const QString in = WriteWav(dir + "/in.wav", 44100, 2, 16, 30.0);
  auto c = std::make_unique<cAudioConverter>();
  JobWatcher w(*c);
  c->SetDestinationFormat(DestOgg);
  c->SetInputFile(in);
  c->SetOutputFile(dir + "/out/out.ogg");
  c->StartConvert();
  while (w.progress.empty()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  c->CloseConverter();
  w.Wait(200);
  EXPECT_TRUE(w.ends.isEmpty());
  EXPECT_TRUE(FilesIn(dir + "/out").isEmpty());
}

TEST(ConverterJobs, AnOutputFolderThatCannotBeMadeEndsWithError) {
  const QString dir = TestEnv::FreshDir("nofolder");
  const QString in = WriteWav(dir + "/in.wav", 8000, 1, 16, 0.2);
  cAudioConverter c;
  JobWatcher w(c);
  c.SetInputFile(in);
  c.SetOutputFile(in + "/out.wav");  // a file stands where the folder should be
  c.StartConvert();
  ASSERT_TRUE(w.Wait());
  EXPECT_EQ(w.ends, QStringList{"Error"});
  EXPECT_EQ(w.errorCode, AudioErrOutput);
}
