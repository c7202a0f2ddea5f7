#pragma once

#include "platform/HostFailure.h"

namespace platform {

// The failure an errno value stands for.
HostFailure FailureFromErrno(int error);

// Records the failure `error` stands for as the thread's last host failure.
void NoteErrno(int error);

}  // namespace platform
