#pragma once

#include <string>
#include <vector>

#include "msrc/Util/XAssert.h"

// Collects every XASSERT report raised while it is alive, then puts back
// whatever observer was installed before it.
class AssertRecorder {
 public:
  AssertRecorder() { fPrevious = XAssertSetObserver(&Record, this, &fPreviousContext); }
  ~AssertRecorder() { XAssertSetObserver(fPrevious, fPreviousContext); }
  AssertRecorder(const AssertRecorder&) = delete;
  AssertRecorder& operator=(const AssertRecorder&) = delete;

  const std::vector<std::string>& Reports() const { return fReports; }
  size_t Count() const { return fReports.size(); }
  void Clear() { fReports.clear(); }

 private:
  static void Record(const char* report, void* context) {
    static_cast<AssertRecorder*>(context)->fReports.emplace_back(report);
  }

  std::vector<std::string> fReports;
  XAssertObserver fPrevious = nullptr;
  void* fPreviousContext = nullptr;
};
