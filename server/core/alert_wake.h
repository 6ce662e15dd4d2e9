#pragma once
// How a request that queued an alert wakes this instance's sender at once, instead of at its
// next look at the queue.
#include <condition_variable>
#include <mutex>

struct AlertWake {
  std::mutex lock;
  std::condition_variable changed;
  bool pending = false;
  bool stopping = false;
};

void alert_wake_notify(AlertWake* wake);
// Waits up to `milliseconds` for a notify or a stop; false once stopping.
bool alert_wake_wait(AlertWake* wake, int milliseconds);
void alert_wake_stop(AlertWake* wake);
