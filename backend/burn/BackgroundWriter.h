// Writes a file on a thread of its own, so that reading or decoding the next
// piece and writing the last one go on side by side. Bytes gather in large
// blocks, which are used again once written (fresh memory costs a page fault
// per page); at most a few blocks wait, so memory stays small. Every write's
// byte count is checked (a full disk gives a short write).
#pragma once
#include <QFile>
#include <QString>
#include <condition_variable>
#include <deque>
#include <memory>
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

  // Each is false once a write has failed, with the reason.
  bool Write(const char* data, qint64 size, QString* error);
  bool WriteZeros(qint64 size, QString* error);
  // Reads size bytes of source straight into the blocks; a short read fails
  // too, with *readFailed set so that the caller can tell input from output.
  bool WriteFrom(QFile& source, qint64 size, QString* error, bool* readFailed);
  // Waits until every byte is in the file; false with the reason when one is not.
  bool Finish(QString* error);

 private:
  struct Block {
    std::unique_ptr<char[]> data;
    qint64 size = 0;
  };
  // Room in the current block, a new one taken when it is full.
  qint64 Room();
  void Loop();
  void Push();
  bool Failed(QString* error);

  QFile& file_;
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
