#include "backend/audio/ThreadBudget.h"

#include <algorithm>
#include <atomic>
#include <thread>

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

int Cores() { return std::max(1, int(std::thread::hardware_concurrency())); }
int Places() { return 2 * Cores(); }

bool TakePlace() { return TakeOne(placesHeld, Places()); }
void GivePlace() { --placesHeld; }
bool TakeCore() { return TakeOne(coresHeld, Cores()); }
void GiveCore() { --coresHeld; }

int PlacesHeld() { return placesHeld; }
int CoresHeld() { return coresHeld; }

}  // namespace ThreadBudget
