#pragma once

#include <cstdint>

#include "msrc/Util/Terminate.h"

// Reports a broken internal invariant. The caller tests the condition itself
// and calls this only when it fails, then carries on with its own failure
// path. The report "XASSERT failure in file %s, line %d : (%s) %s" is
// formatted (cut to 1023 characters) and discarded; the result is always
// false. Only when the calling thread is the stop thread does it throw a
// Terminate carrying the report. (A report that neither an observer nor a
// Terminate would carry is not formatted at all.)
bool XASSERT(const char* sourcePath, int32_t line, const char* condition, const char* message);

// The stop thread is process-wide and 0 (none) unless set here; the system
// itself never sets it.
void XAssertSetStopThread(uint32_t threadId);
// A nonzero identifier of the calling thread, distinct for every thread of the
// process.
uint32_t XAssertCurrentThreadId();

// Observation hook for tests: receives every formatted report. Installing one
// changes nothing else about XASSERT. Returns the previous observer and, when
// previousContext is given, stores the previous context there.
using XAssertObserver = void (*)(const char* report, void* context);
XAssertObserver XAssertSetObserver(XAssertObserver observer, void* context, void** previousContext = nullptr);
