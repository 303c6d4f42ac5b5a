#include "backend/audio/ApeFramePool.h"

#include <QByteArray>
#include <QtGlobal>
#include <algorithm>


namespace {
// Frames waiting beyond one per coding thread, so that the coders go on while
// the caller writes or codes a frame: as many again as there are coders, but
// no more than these bytes of PCM, and at least two.
constexpr size_t kSpareBytes = size_t(32) << 20;
constexpr size_t kLeastSpare = 2;
constexpr int kMostThreads = 64;
}  // namespace

int ApeFramePool::DefaultThreads() {
  bool ok = false;
  const int forced = qEnvironmentVariableIntValue("TESSORY_APE_THREADS", &ok);
  if (ok && forced >= 1) return std::min(forced, kMostThreads);
  return int(std::clamp(std::thread::hardware_concurrency(), 1u, unsigned(kMostThreads)));
}

ApeFramePool::ApeFramePool(int threads, size_t frameBytes, int channels, int bits,
                           const std::vector<ApeFrameCoder::Stage>& stages)
    : threads_(std::max(threads, 1)),
      frameBytes_(std::max<size_t>(frameBytes, 1)),
      channels_(channels),
      bits_(bits),
      stages_(stages) {}

ApeFramePool::~ApeFramePool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  workToDo_.notify_all();
  for (std::thread& t : workers_) t.join();
}

bool ApeFramePool::Full() const {
  if (threads_ == 1) return !inFlight_.empty();
  const size_t coders = workers_.size() + 1;
  return inFlight_.size() >= coders + std::clamp(kSpareBytes / frameBytes_, kLeastSpare, std::max(coders, kLeastSpare));
}

// Workers start with the second frame in flight (a file of one frame is coded
// on the caller's thread alone) and as long as the budget gives them a core,
// up to the count asked for: the cores others free while this file is coded
// join in.
void ApeFramePool::Submit(std::unique_ptr<ApeFrame> frame) {
  frame->stopped = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(frame.get());
  }
  inFlight_.push_back(std::move(frame));
  if (inFlight_.size() > 1) StartWorkers();
  workToDo_.notify_one();
}

// While the oldest frame is coded elsewhere, the caller codes the next one no
// worker has started rather than wait idle.
std::unique_ptr<ApeFrame> ApeFramePool::Take() {
  std::unique_ptr<ApeFrame> frame = std::move(inFlight_.front());
  inFlight_.pop_front();
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    const auto done = std::find(done_.begin(), done_.end(), frame.get());
    if (done != done_.end()) {
      done_.erase(done);
      return frame;
    }
    if (queue_.empty()) {
      frameDone_.wait(lock);
      continue;
    }
    ApeFrame* next = queue_.front();
    queue_.pop_front();
    lock.unlock();
    if (!callerCoder_) callerCoder_ = std::make_unique<ApeFrameCoder>(channels_, bits_, stages_);
    Code(*next, *callerCoder_);
    lock.lock();
    done_.push_back(next);
  }
}

void ApeFramePool::StartWorkers() {
  while (int(workers_.size()) < threads_ - 1) {
    ThreadBudget::Held place = ThreadBudget::TakePlace();
    ThreadBudget::Held core = place ? ThreadBudget::TakeCore() : ThreadBudget::Held();
    if (!core) return;
    held_.push_back(std::move(place));
    held_.push_back(std::move(core));
    workers_.emplace_back([this] { Work(); });
  }
}

void ApeFramePool::Work() {
  ApeFrameCoder coder(channels_, bits_, stages_);
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    workToDo_.wait(lock, [&] { return quit_ || !queue_.empty(); });
    if (quit_) return;
    ApeFrame* frame = queue_.front();
    queue_.pop_front();
    lock.unlock();
    Code(*frame, coder);
    lock.lock();
    done_.push_back(frame);
    frameDone_.notify_all();
  }
}

void ApeFramePool::Code(ApeFrame& frame, ApeFrameCoder& coder) {
  frame.stopped = !coder.Encode(frame.pcm.data(), frame.blocks, frame.coded, frame.abort, &quit_);
}
