#include "backend/burn/BackgroundWriter.h"

#include <cstring>

namespace {
constexpr qint64 kBlockBytes = 1 << 20;
constexpr size_t kMaxWaiting = 8;
}  // namespace

BackgroundWriter::BackgroundWriter(QFile& file) : file_(file), thread_([this] { Loop(); }) {}

BackgroundWriter::~BackgroundWriter() { Finish(nullptr); }

void BackgroundWriter::Loop() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    changed_.wait(hold, [this] { return !queue_.empty() || closing_; });
    if (queue_.empty()) return;
    Block block = std::move(queue_.front());
    queue_.pop_front();
    if (!failed_) {
      hold.unlock();
      const char* data = block.data.get();
      qint64 left = block.size;
      QString error;
      while (left > 0) {
        const qint64 n = file_.write(data, left);
        if (n <= 0) {
          error = "Cannot write " + file_.fileName() + ": " + file_.errorString();
          break;
        }
        data += n;
        left -= n;
      }
      hold.lock();
      if (!error.isEmpty() && !failed_) {
        failed_ = true;
        error_ = error;
      }
    }
    block.size = 0;
    spare_.push_back(std::move(block));
    changed_.notify_all();
  }
}

void BackgroundWriter::Push() {
  std::unique_lock<std::mutex> hold(lock_);
  changed_.wait(hold, [this] { return queue_.size() < kMaxWaiting || failed_; });
  queue_.push_back(std::move(block_));
  changed_.notify_all();
  block_ = Block();
  if (!spare_.empty()) {
    block_ = std::move(spare_.back());
    spare_.pop_back();
  }
}

qint64 BackgroundWriter::Room() {
  if (block_.data && block_.size >= kBlockBytes) Push();
  if (!block_.data) block_.data.reset(new char[kBlockBytes]);
  return kBlockBytes - block_.size;
}

bool BackgroundWriter::Failed(QString* error) {
  std::lock_guard<std::mutex> hold(lock_);
  if (failed_ && error) *error = error_;
  return failed_;
}

bool BackgroundWriter::Write(const char* data, qint64 size, QString* error) {
  while (size > 0) {
    const qint64 n = std::min(size, Room());
    std::memcpy(block_.data.get() + block_.size, data, size_t(n));
    block_.size += n;
    data += n;
    size -= n;
  }
  return !Failed(error);
}

bool BackgroundWriter::WriteZeros(qint64 size, QString* error) {
  while (size > 0) {
    const qint64 n = std::min(size, Room());
    std::memset(block_.data.get() + block_.size, 0, size_t(n));
    block_.size += n;
    size -= n;
  }
  return !Failed(error);
}

bool BackgroundWriter::WriteFrom(QFile& source, qint64 size, QString* error, bool* readFailed) {
  *readFailed = false;
  while (size > 0) {
    const qint64 room = Room();  // may start a new block
    const qint64 n = source.read(block_.data.get() + block_.size, std::min(size, room));
    if (n <= 0) {
      *readFailed = true;
      if (error) *error = "Cannot read " + source.fileName() + ": " + (n < 0 ? source.errorString() : "it ends early.");
      return false;
    }
    block_.size += n;
    size -= n;
  }
  return !Failed(error);
}

bool BackgroundWriter::Finish(QString* error) {
  if (thread_.joinable()) {
    if (block_.size > 0) Push();
    {
      std::lock_guard<std::mutex> hold(lock_);
      closing_ = true;
    }
    changed_.notify_all();
    thread_.join();
    if (!failed_ && !file_.flush()) {
      failed_ = true;
      error_ = "Cannot write " + file_.fileName() + ": " + file_.errorString();
    }
  }
  return !Failed(error);
}
