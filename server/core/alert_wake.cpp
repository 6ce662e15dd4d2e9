#include "core/alert_wake.h"

#include <chrono>

void alert_wake_notify(AlertWake* wake) {
  {
    std::lock_guard<std::mutex> hold(wake->lock);
    wake->pending = true;
  }
  wake->changed.notify_all();
}

bool alert_wake_wait(AlertWake* wake, int milliseconds) {
  std::unique_lock<std::mutex> hold(wake->lock);
  wake->changed.wait_for(hold, std::chrono::milliseconds(milliseconds),
                         [wake] { return wake->pending || wake->stopping; });
  wake->pending = false;
  return !wake->stopping;
}

void alert_wake_stop(AlertWake* wake) {
  {
    std::lock_guard<std::mutex> hold(wake->lock);
    wake->stopping = true;
  }
  wake->changed.notify_all();
}
