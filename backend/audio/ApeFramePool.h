// Codes the frames of one .ape file on several threads and hands them back in
// the order they were given. The workers come from the process's thread
// budget. At most a window of frames (a few more than the threads coding) is
// in flight, so the memory stays bounded whatever the file's length; the
// caller's own thread codes frames no worker has started while it waits.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "backend/audio/ApeFrameCoder.h"
#include "backend/audio/ThreadBudget.h"

struct ApeFrame {
  std::vector<uint8_t> pcm;  // interleaved, as the file's format holds it
  uint32_t blocks = 0;
  std::vector<uint8_t> coded;  // the frame in stream order, once coded
  bool stopped = false;        // the abort flag ended its coding
  const std::atomic<bool>* abort = nullptr;
};

class ApeFramePool {
 public:
  // threads counts the caller's (the most it uses); 1 codes every frame on the
  // caller's thread.
  // frameBytes: the PCM of a whole frame.
  ApeFramePool(int threads, size_t frameBytes, int channels, int bits, const std::vector<ApeFrameCoder::Stage>& stages);
  // Stops the workers; frames still in flight are dropped.
  ~ApeFramePool();
  ApeFramePool(const ApeFramePool&) = delete;
  ApeFramePool& operator=(const ApeFramePool&) = delete;

  void Submit(std::unique_ptr<ApeFrame> frame);
  // True when the oldest frame is to be taken before the next is submitted.
  bool Full() const;
  bool Empty() const { return inFlight_.empty(); }
  // The oldest frame, coded (or stopped); waits for it.
  std::unique_ptr<ApeFrame> Take();

  // The number of threads to code with: the processor's cores, or
  // TESSORY_APE_THREADS where set (tests compare against one thread).
  static int DefaultThreads();

 private:
  void StartWorkers();
  void Work();
  void Code(ApeFrame& frame, ApeFrameCoder& coder);

  const int threads_;
  const size_t frameBytes_;
  const int channels_;
  const int bits_;
  const std::vector<ApeFrameCoder::Stage> stages_;
  std::unique_ptr<ApeFrameCoder> callerCoder_;
  std::deque<std::unique_ptr<ApeFrame>> inFlight_;  // in file order; the caller's alone

  std::mutex mutex_;
  std::condition_variable workToDo_;
  std::condition_variable frameDone_;
  std::deque<ApeFrame*> queue_;  // submitted, not yet started
  std::vector<ApeFrame*> done_;  // coded, not yet taken
  std::atomic<bool> quit_{false};
  std::vector<std::thread> workers_;
  std::vector<ThreadBudget::Held> held_;  // each worker's place and core
};
