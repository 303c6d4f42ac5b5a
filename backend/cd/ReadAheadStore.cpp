#include "backend/cd/ReadAheadStore.h"

#include <sys/mman.h>

#include <atomic>
#include <cstring>

namespace {
std::atomic<qint64> defaultBudget{ReadAheadStore::kBudget};
}

qint64 ReadAheadStore::DefaultBudget() { return defaultBudget; }
void ReadAheadStore::SetDefaultBudget(qint64 bytes) { defaultBudget = bytes; }

ReadAheadStore::ReadAheadStore(const QString& sharedFolder, qint64 budget) : folder_(sharedFolder), budget_(budget) {}

QString ReadAheadStore::NewFile(QString* error) {
  std::lock_guard lock(mutex_);
  if (!folder_.Make()) {
    *error = "Cannot make " + folder_.Path() + ".";
    return QString();
  }
  return folder_.Path() + QString("track%1.pcm").arg(++files_);
}

bool ReadAheadStore::TakeMemory(qint64 bytes) {
  std::lock_guard lock(mutex_);
  if (held_ + bytes > budget_) return false;
  held_ += bytes;
  return true;
}

void ReadAheadStore::GiveMemory(qint64 bytes) {
  std::lock_guard lock(mutex_);
  held_ -= bytes;
}

HeldPcm::~HeldPcm() {
  for (Pages& pages : memory_) GiveBack(pages);
  if (file_.fileName().isEmpty()) return;
  file_.close();
  file_.remove();
}

// Pieces are mapped pages rather than the allocator's: it would keep the memory
// of the pieces given back in a pool per worker thread, every worker's pool
// growing to the whole budget in turn.
bool HeldPcm::Put(const char* data, qsizetype bytes, QString* error) {
  // Once a piece is in the file, the later ones follow it there, keeping their order.
  if (!filed_.empty() || !store_->TakeMemory(bytes)) return Spill(data, bytes, error);
  void* pages = mmap(nullptr, size_t(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED) {
    store_->GiveMemory(bytes);
    return Spill(data, bytes, error);
  }
  std::memcpy(pages, data, size_t(bytes));
  memory_.push_back({static_cast<char*>(pages), bytes});
  return true;
}

void HeldPcm::GiveBack(Pages& pages) {
  if (!pages.data) return;
  munmap(pages.data, size_t(pages.size));
  store_->GiveMemory(pages.size);
  pages.data = nullptr;
}

bool HeldPcm::Spill(const char* data, qsizetype bytes, QString* error) {
  if (file_.fileName().isEmpty()) {
    const QString name = store_->NewFile(error);
    if (name.isEmpty()) return false;
    file_.setFileName(name);
    // Unbuffered, so that a full disk shows in the write that meets it.
    if (!file_.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered)) {
      *error = "Cannot write " + name + " (" + file_.errorString() + ").";
      return false;
    }
  }
  if (file_.write(data, bytes) != bytes) {
    *error = "Cannot write " + file_.fileName() + " (" + file_.errorString() + ").";
    return false;
  }
  filed_.push_back(bytes);
  return true;
}

bool HeldPcm::EndPut(QString* error) {
  if (!file_.isOpen() || file_.seek(0)) return true;
  *error = "Cannot read " + file_.fileName() + " back (" + file_.errorString() + ").";
  return false;
}

bool HeldPcm::Get(QByteArray* piece, QString* error) {
  piece->clear();
  // The piece given before has been used: its memory goes back.
  if (given_ > 0 && given_ <= memory_.size()) GiveBack(memory_[given_ - 1]);
  if (given_ < memory_.size()) {
    const Pages& pages = memory_[given_++];
    *piece = QByteArray::fromRawData(pages.data, pages.size);
    return true;
  }
  const size_t filed = given_ - memory_.size();
  if (filed == filed_.size()) return true;
  piece->resize(filed_[filed]);
  if (file_.read(piece->data(), piece->size()) != piece->size()) {
    *error = "Cannot read " + file_.fileName() + " back (" + file_.errorString() + ").";
    return false;
  }
  ++given_;
  return true;
}

double HeldPcm::Share() const {
  const size_t pieces = memory_.size() + filed_.size();
  return pieces == 0 ? 1.0 : double(given_) / double(pieces);
}
