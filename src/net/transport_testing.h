#pragma once
// Test hook of the transport: tests stage a stalled server and must not wait
// the production 60 s for the transport to give up.
#include <chrono>

namespace tv {

// Seconds without data after which a transfer fails (60 by default).
void SetStallTimeoutForTesting(std::chrono::seconds seconds);

}  // namespace tv
