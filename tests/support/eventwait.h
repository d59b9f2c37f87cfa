#pragma once

#include <functional>

namespace testing_support {

// Runs the event loop until done() holds or timeoutMs have passed; returns done().
bool waitUntil(const std::function<bool()> &done, int timeoutMs = 10000);

// Runs the event loop for the given time, so that anything queued is delivered.
void runEventsFor(int ms);

} // namespace testing_support
