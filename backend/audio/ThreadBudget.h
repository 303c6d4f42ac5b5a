// One budget of worker threads for the whole process, drawn from by every pool
// of the audio engine (jobs worked ahead, frames coded in parallel, files
// probed ahead). A pool starts a thread only with a place from it, so however
// many pools run at once the process holds at most Places() of them; and a
// thread codes on a core from it, so that pools nested in each other share
// the cores instead of each taking all of them. Nothing waits on the budget:
// a pool refused a place does the work on its caller's thread.
#pragma once
#include <atomic>

namespace ThreadBudget {

// A place or a core of the budget, given back when the object goes (or is
// assigned another): however its holder ends, nothing stays taken.
class Held {
 public:
  Held() = default;
  ~Held() { GiveBack(); }
  Held(Held&& other) noexcept;
  Held& operator=(Held&& other) noexcept;
  explicit operator bool() const { return counter_ != nullptr; }

 private:
  friend Held TakePlace();
  friend Held TakeCore();
  explicit Held(std::atomic<int>* counter) : counter_(counter) {}
  void GiveBack();
  std::atomic<int>* counter_ = nullptr;
};

// The processor's cores (at least one).
int Cores();
// Worker threads the pools may hold at once: two per core.
int Places();

// A place for a new worker thread; empty when every place is held.
Held TakePlace();
// A core to code on; empty when every core is taken.
Held TakeCore();

// Places and cores held now.
int PlacesHeld();
int CoresHeld();

}  // namespace ThreadBudget
