#include "backend/audio/ThreadBudget.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace {
std::atomic<int> placesHeld{0};
std::atomic<int> coresHeld{0};

bool TakeOne(std::atomic<int>& held, int limit) {
  int now = held.load();
  while (now < limit) {
    if (held.compare_exchange_weak(now, now + 1)) return true;
  }
  return false;
}
}  // namespace

namespace ThreadBudget {

Held::Held(Held&& other) noexcept : counter_(std::exchange(other.counter_, nullptr)) {}

Held& Held::operator=(Held&& other) noexcept {
  if (this != &other) {
    GiveBack();
    counter_ = std::exchange(other.counter_, nullptr);
  }
  return *this;
}

void Held::GiveBack() {
  if (counter_) --*counter_;
  counter_ = nullptr;
}

int Cores() { return std::max(1, int(std::thread::hardware_concurrency())); }
int Places() { return 2 * Cores(); }

Held TakePlace() { return TakeOne(placesHeld, Places()) ? Held(&placesHeld) : Held(); }
Held TakeCore() { return TakeOne(coresHeld, Cores()) ? Held(&coresHeld) : Held(); }

int PlacesHeld() { return placesHeld; }
int CoresHeld() { return coresHeld; }

}  // namespace ThreadBudget
