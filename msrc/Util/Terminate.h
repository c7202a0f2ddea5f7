#pragma once

#include <exception>

#include "msrc/Util/FixedStringBuffer.h"

// Thrown by XASSERT on the stop thread to end the program; nothing catches it.
// Carries the report text, cut to 1023 characters.
class Terminate : public std::exception {
 public:
  static constexpr int32_t kCapacity = 1024;

  explicit Terminate(const char* report);

  const char* Text() const { return fReport.Text(); }
  const char* what() const noexcept override { return fReport.Text(); }

 private:
  FixedStringBuffer<kCapacity> fReport;
};
