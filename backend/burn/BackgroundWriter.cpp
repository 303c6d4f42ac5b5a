#include "backend/burn/BackgroundWriter.h"

namespace {
constexpr qint64 kBlockBytes = 1 << 20;
constexpr size_t kMaxWaiting = 8;
}  // namespace

BackgroundWriter::BackgroundWriter(QFile& file) : file_(file), thread_([this] { Loop(); }) {
  block_.reserve(kBlockBytes);
}

BackgroundWriter::~BackgroundWriter() { Finish(nullptr); }

void BackgroundWriter::Loop() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    changed_.wait(hold, [this] { return !queue_.empty() || closing_; });
    if (queue_.empty()) return;
    Block block = std::move(queue_.front());
    queue_.pop_front();
    if (failed_) {
      changed_.notify_all();
      continue;
    }
    hold.unlock();
    const char* data = block.data();
    qint64 left = qint64(block.size());
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
    block.clear();  // keeps its memory
    spare_.push_back(std::move(block));
    changed_.notify_all();
  }
}

void BackgroundWriter::Push() {
  std::unique_lock<std::mutex> hold(lock_);
  changed_.wait(hold, [this] { return queue_.size() < kMaxWaiting || failed_; });
  queue_.push_back(std::move(block_));
  changed_.notify_all();
  if (spare_.empty()) {
    block_ = Block();
    block_.reserve(kBlockBytes);
  } else {
    block_ = std::move(spare_.back());
    spare_.pop_back();
  }
}

bool BackgroundWriter::Failed(QString* error) {
  std::lock_guard<std::mutex> hold(lock_);
  if (failed_ && error) *error = error_;
  return failed_;
}

bool BackgroundWriter::Write(const char* data, qint64 size, QString* error) {
  while (size > 0) {
    const qint64 n = std::min(size, kBlockBytes - qint64(block_.size()));
    block_.insert(block_.end(), data, data + n);
    data += n;
    size -= n;
    if (qint64(block_.size()) >= kBlockBytes) Push();
  }
  return !Failed(error);
}

bool BackgroundWriter::WriteZeros(qint64 size, QString* error) {
  while (size > 0) {
    const qint64 n = std::min(size, kBlockBytes - qint64(block_.size()));
    block_.insert(block_.end(), size_t(n), '\0');
    size -= n;
    if (qint64(block_.size()) >= kBlockBytes) Push();
  }
  return !Failed(error);
}

bool BackgroundWriter::Finish(QString* error) {
  if (thread_.joinable()) {
    if (!block_.empty()) Push();
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
