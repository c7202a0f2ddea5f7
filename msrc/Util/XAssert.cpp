#include "msrc/Util/XAssert.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "msrc/Util/Terminate.h"

namespace {

std::atomic<uint32_t> sStopThread{0};
std::atomic<uint32_t> sLastThreadId{0};

std::mutex sObserverLock;
XAssertObserver sObserver = nullptr;
void* sObserverContext = nullptr;

const char* OrEmpty(const char* text) {
  return text != nullptr ? text : "";
}

bool StopsHere() {
  const uint32_t stopThread = sStopThread.load();
  return stopThread != 0 && stopThread == XAssertCurrentThreadId();
}

}  // namespace

void XAssertSetStopThread(uint32_t threadId) {
  sStopThread.store(threadId);
}

uint32_t XAssertCurrentThreadId() {
  // Handed out in order of first use, so no two threads of the process share
  // one and none is 0.
  thread_local const uint32_t id = sLastThreadId.fetch_add(1) + 1;
  return id;
}

XAssertObserver XAssertSetObserver(XAssertObserver observer, void* context, void** previousContext) {
  const std::lock_guard<std::mutex> guard(sObserverLock);
  const XAssertObserver previous = sObserver;
  if (previousContext != nullptr) {
    *previousContext = sObserverContext;
  }
  sObserver = observer;
  sObserverContext = context;
  return previous;
}

bool XASSERT(const char* sourcePath, int32_t line, const char* condition, const char* message) {
  XAssertObserver observer;
  void* context;
  {
    const std::lock_guard<std::mutex> guard(sObserverLock);
    observer = sObserver;
    context = sObserverContext;
  }
  // A report nobody reads is not formatted: some reports come once per
  // resource read (the definitions' swizzle), and formatting is most of
  // their cost.
  if (observer == nullptr && !StopsHere()) return false;

  // Local to the call so that concurrent reports do not interfere;
  // snprintf cuts the text to fit and always terminates it.
  char report[Terminate::kCapacity];
  std::snprintf(report, sizeof(report), "XASSERT failure in file %s, line %d : (%s) %s", OrEmpty(sourcePath),
                static_cast<int>(line), OrEmpty(condition), OrEmpty(message));
  if (observer != nullptr) {
    observer(report, context);
  }
  if (StopsHere()) {
    throw Terminate(report);
  }
  return false;
}
