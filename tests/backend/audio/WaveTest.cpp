// The recorder control on SDL's disk driver: capture reads a raw file of
// known samples, so a recording can be checked byte for byte against it.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <algorithm>

#include "AudioFixtures.h"
#include "FileSizeLimit.h"
#include "TestEnv.h"
#include "backend/audio/SdlPlayback.h"
#include "backend/audio/WavFile.h"
#include "platform/audio/cWave.h"

namespace {
WAVEFORMATEX formatOf(int bits, int rate, int channels) {
  WAVEFORMATEX f;
  f.nChannels = int16_t(channels);
  f.nSamplesPerSec = rate;
  f.nBlockAlign = int16_t(channels * bits / 8);
  f.nAvgBytesPerSec = rate * f.nBlockAlign;
  f.wBitsPerSample = int16_t(bits);
  return f;
}

QByteArray readAll(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}

uint32_t le32(const QByteArray& b, int at) {
  return uint32_t(uchar(b[at])) | uint32_t(uchar(b[at + 1])) << 8 | uint32_t(uchar(b[at + 2])) << 16 |
         uint32_t(uchar(b[at + 3])) << 24;
}
}  // namespace

TEST(Wave, RecordsExactlyTheInputInTheFormatAsked) {
  struct Case {
    int bits, rate, channels;
  } cases[] = {{8, 8000, 1}, {16, 44100, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    const QString dir = TestEnv::FreshDir("wave-record");
    const QByteArray input = AudioFixtures::Pattern(c.rate * c.channels * c.bits / 8 / 2);  // half a second
    AudioFixtures::DiskAudio disk(dir, input);
    cWave wave;
    ASSERT_EQ(wave.GetDeviceCount(WAVE_DEVICES_IN), 1);
    long position = 0;
    WaveDeviceRecord rec;
    wave.GetDeviceCaps(position, rec, WAVE_DEVICES_IN);
    EXPECT_FALSE(rec.name.isEmpty());
    QSignalSpy done(&wave, &cWave::RecordDone);
    QSignalSpy levels(&wave, &cWave::MeterLevel);
    wave.MeterIn(true);
    const QString path = dir + "/rec.wav";
    WAVEFORMATEX fmt = formatOf(c.bits, c.rate, c.channels);
    long device = 0;
    ASSERT_EQ(wave.RecordStart(device, path, fmt, 1600), 0);
    EXPECT_EQ(wave.PlayStart(path, 0, 8000), 4);  // the file being recorded is not played
    // Past the input by more than the writer's buffer, then stop.
    ASSERT_TRUE(TestEnv::WaitUntil(
        [&] { return QFileInfo(path).size() > 44 + input.size() + 16384 && !levels.isEmpty(); }, 20000));
    wave.RecordStop();
    // The header is final when the stop returns, before RecordDone arrives.
    WavLayout l;
    QString error;
    ASSERT_TRUE(WavFile::ReadLayout(path, &l, &error)) << error.toStdString();
    EXPECT_EQ(l.bits, c.bits);
    EXPECT_EQ(l.sampleRate, c.rate);
    EXPECT_EQ(l.channels, c.channels);
    EXPECT_EQ(l.dataBytes, QFileInfo(path).size() - 44);
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray data = f.readAll().mid(44);
    EXPECT_EQ(data.left(input.size()), input);
    // After the input ends the device delivers silence.
    EXPECT_EQ(data.mid(input.size(), 64), QByteArray(64, c.bits == 8 ? char(0x80) : char(0)));
    EXPECT_TRUE(TestEnv::WaitUntil([&] { return !done.isEmpty(); }, 2000));
    EXPECT_FALSE(levels.isEmpty());
    EXPECT_EQ(AudioFixtures::DecodePcm(path).size(), size_t(l.dataBytes / (c.bits / 8)));
  }
}

TEST(Wave, RefusesBadFormatsAndUnwritableFiles) {
  const QString dir = TestEnv::FreshDir("wave-refuse");
  AudioFixtures::DiskAudio disk(dir, AudioFixtures::Pattern(1000));
  cWave wave;
  long device = 0;
  WAVEFORMATEX bad = formatOf(24, 44100, 2);
  EXPECT_EQ(wave.RecordStart(device, dir + "/a.wav", bad, 1600), 1);
  WAVEFORMATEX good = formatOf(16, 8000, 1);
  EXPECT_EQ(wave.RecordStart(device, dir + "/no/such/folder.wav", good, 1600), 3);
  // A device that cannot record leaves an existing file as it was.
  const QString kept = AudioFixtures::WriteWav(dir + "/kept.wav", 8000, 1, 16, 0.5);
  QFile k(kept);
  k.open(QIODevice::ReadOnly);
  const QByteArray before = k.readAll();
  k.close();
  long missing = 7;
  EXPECT_EQ(wave.RecordStart(missing, kept, good, 1600), 2);
  k.open(QIODevice::ReadOnly);
  EXPECT_EQ(k.readAll(), before);
  EXPECT_FALSE(wave.IsRecording());
  EXPECT_EQ(wave.SecondsToText(30), "0:00:30");
  EXPECT_EQ(wave.SecondsToText(3725), "1:02:05");
}

TEST(Wave, PlaysAFileAndReportsItsPosition) {
  const QString dir = TestEnv::FreshDir("wave-play");
  const QString path = AudioFixtures::WriteWav(dir + "/p.wav", 8000, 1, 16, 1.0);
  cWave wave;
  WaveInfoRecord info;
  ASSERT_EQ(wave.GetWaveInfo(path, info), 0);
  EXPECT_EQ(info.seconds, 1);
  EXPECT_EQ(info.format.nSamplesPerSec, 8000);
  QSignalSpy done(&wave, &cWave::PlayDone);
  ASSERT_EQ(wave.PlayStart(path, -1, 8000), 0);
  EXPECT_TRUE(wave.IsPlaying());
  ASSERT_TRUE(TestEnv::WaitUntil([&] { return !done.isEmpty(); }, 5000));
  EXPECT_FALSE(wave.IsPlaying());
  EXPECT_EQ(wave.GetPlayPosition(), 100);
  EXPECT_EQ(wave.GetPlayPositionSeconds(), 1);
  EXPECT_EQ(wave.PlayStart(dir + "/none.wav", -1, 8000), 1);
}

// While a take runs its header keeps up with it (about once a second), so the
// file as a crash or a kill would leave it (here: copied mid-way) states valid
// sizes and holds the sound recorded so far.
TEST(Wave, AFileCopiedMidRecordingHoldsItsSoundWithValidSizes) {
  const QString dir = TestEnv::FreshDir("wave-midway");
  const int second = 8000 * 2;
  const QByteArray input = AudioFixtures::Pattern(3 * second);
  AudioFixtures::DiskAudio disk(dir, input);
  cWave wave;
  const QString path = dir + "/rec.wav";
  WAVEFORMATEX fmt = formatOf(16, 8000, 1);
  long device = 0;
  ASSERT_EQ(wave.RecordStart(device, path, fmt, 1600), 0);
  ASSERT_TRUE(TestEnv::WaitUntil([&] { return QFileInfo(path).size() > 44 + 2.5 * second; }, 20000));
  ASSERT_TRUE(QFile::copy(path, dir + "/copy.wav"));
  wave.RecordStop();
  const QByteArray copy = readAll(dir + "/copy.wav");
  const uint32_t data = le32(copy, 40);
  EXPECT_GE(data, uint32_t(2 * second));
  EXPECT_LE(qint64(data), copy.size() - 44);
  EXPECT_EQ(data % 2, 0u);
  EXPECT_EQ(le32(copy, 4), 36 + data);
  // A take may run past the device's input (then silence) while the test waits.
  const int held = std::min(int(data), int(input.size()));
  EXPECT_EQ(copy.mid(44, held), input.left(held));
}

// A full disk ends the take with Error and the file keeps every whole frame
// that was written, with a header that states them.
TEST(Wave, AFullDiskEndsTheTakeWithAnErrorAndKeepsWhatWasWritten) {
  const QString dir = TestEnv::FreshDir("wave-full");
  const QByteArray input = AudioFixtures::Pattern(8000 * 2 * 2);
  AudioFixtures::DiskAudio disk(dir, input);
  cWave wave;
  QSignalSpy errors(&wave, &cWave::Error);
  QSignalSpy done(&wave, &cWave::RecordDone);
  const QString path = dir + "/rec.wav";
  WAVEFORMATEX fmt = formatOf(16, 8000, 1);
  long device = 0;
  {
    FileSizeLimit full(44 + 5001);  // the disk fills in the middle of a sample
    ASSERT_EQ(wave.RecordStart(device, path, fmt, 1600), 0);
    ASSERT_TRUE(TestEnv::WaitUntil([&] { return !errors.isEmpty(); }, 10000));
  }
  EXPECT_FALSE(wave.IsRecording());
  EXPECT_TRUE(TestEnv::WaitUntil([&] { return !done.isEmpty(); }, 2000));
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0][1].toString().startsWith("Cannot write " + path)) << errors[0][1].toString().toStdString();
  WavLayout l;
  QString error;
  ASSERT_TRUE(WavFile::ReadLayout(path, &l, &error)) << error.toStdString();
  EXPECT_EQ(l.dataBytes, 5000);
  EXPECT_EQ(readAll(path).mid(44, 5000), input.left(5000));
}
