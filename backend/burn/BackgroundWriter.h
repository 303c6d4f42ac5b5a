// Writes a file on a thread of its own, so that decoding the next piece and
// writing the last one go on side by side. Bytes are copied into large
// blocks, which are used again once written (fresh memory costs a page fault
// per page); at most a few blocks wait, so memory stays small. Every write's
// byte count is checked (a full disk gives a short write).
#pragma once
#include <QFile>
#include <QString>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class BackgroundWriter {
 public:
  // The file must be open for writing; it is flushed by Finish, not closed.
  explicit BackgroundWriter(QFile& file);
  ~BackgroundWriter();
  BackgroundWriter(const BackgroundWriter&) = delete;
  BackgroundWriter& operator=(const BackgroundWriter&) = delete;

  // False once a write has failed, with the reason.
  bool Write(const char* data, qint64 size, QString* error);
  bool WriteZeros(qint64 size, QString* error);
  // Waits until every byte is in the file; false with the reason when one is not.
  bool Finish(QString* error);

 private:
  void Loop();
  void Push();
  bool Failed(QString* error);

  QFile& file_;
  using Block = std::vector<char>;
  Block block_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<Block> queue_;
  std::vector<Block> spare_;  // written blocks, ready to be filled again
  bool closing_ = false;
  bool failed_ = false;
  QString error_;
  std::thread thread_;
};
