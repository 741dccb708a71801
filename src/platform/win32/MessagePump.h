#pragma once

namespace tessarin::win32 {

// Dispatches every message queued for this thread. False when it met the quit message: that is
// posted again for the program's own loop, which ends on it, and the caller should stop waiting.
bool PumpPendingMessages();

}  // namespace tessarin::win32
