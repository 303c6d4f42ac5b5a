#include "backend/burn/BurnJob.h"

void BurnJob::Join() {
  if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
}

void BurnJob::Start(std::function<void()> work) {
  Join();  // the previous work has already ended
  abort_ = false;
  running_ = true;
  current_ = ++generation_;
  worker_ = std::thread(std::move(work));
}

void BurnJob::Post(std::function<void()> event) {
  // The work's own number: events it posts after a close are dropped.
  const int generation = current_;
  QMetaObject::invokeMethod(
      context_,
      [this, generation, event = std::move(event)] {
        if (generation == generation_) event();
      },
      Qt::QueuedConnection);
}

void BurnJob::PostEnd(std::function<void()> event, std::function<void()> undo) {
  undo_ = std::move(undo);
  Post([this, event = std::move(event)] {
    running_ = false;
    undo_ = nullptr;
    event();
  });
}

// The work may have ended before it saw the request; what it left for its
// ending goes now, so that nothing is left when the call returns.
void BurnJob::Abort() {
  if (!running_) return;
  abort_ = true;
  Join();
  Undo();
}

void BurnJob::Undo() {
  if (undo_) undo_();
  undo_ = nullptr;
}

void BurnJob::Close() {
  ++generation_;
  abort_ = true;
  Join();
  running_ = false;
  current_ = generation_;
  Undo();
}
