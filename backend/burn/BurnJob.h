// One write at a time on a thread of its own. The work posts its events to
// the control's (UI) thread, where they arrive after the start call returned;
// a closed job's events are dropped.
#pragma once
#include <QObject>
#include <atomic>
#include <functional>
#include <thread>

class BurnJob {
 public:
  explicit BurnJob(QObject* context) : context_(context) {}
  ~BurnJob() { Close(); }

  // True from Start until the ending event has been delivered.
  bool Running() const { return running_; }
  void Start(std::function<void()> work);
  // From the work: an event for the UI thread.
  void Post(std::function<void()> event);
  // From the work: its one ending event; the job counts as idle when it runs.
  // undo removes what the work left for that event to take, when an abort or
  // a close comes first.
  void PostEnd(std::function<void()> event, std::function<void()> undo = {});
  bool Aborting() const { return abort_; }
  // Asks the work to stop and waits for its thread; the ending event it
  // posted still arrives, and finds Aborting() true.
  void Abort();
  // Stops the work and drops every event still to come.
  void Close();

 private:
  void Join();
  void Undo();
  QObject* context_;
  std::thread worker_;
  std::atomic<bool> abort_{false};
  std::atomic<int> generation_{0};
  int current_ = 0;  // the generation events are posted with; changed only while no work runs
  bool running_ = false;
  std::function<void()> undo_;  // set by the work before its ending is posted
};
