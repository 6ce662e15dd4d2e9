#include "edge/connection_caps.h"

bool caps_open(ConnectionCaps* caps, const std::string& network, bool exempt) {
  if (exempt) return true;
  std::lock_guard<std::mutex> hold(caps->lock);
  int& open = caps->open_by_network[network];
  if (open >= caps->per_network) {
    if (open == 0) caps->open_by_network.erase(network);
    return false;
  }
  ++open;
  return true;
}

void caps_close(ConnectionCaps* caps, const std::string& network, bool exempt) {
  if (exempt) return;
  std::lock_guard<std::mutex> hold(caps->lock);
  auto it = caps->open_by_network.find(network);
  if (it == caps->open_by_network.end()) return;
  // Emptied networks are forgotten, so the map holds only what is open now.
  if (--it->second <= 0) caps->open_by_network.erase(it);
}

bool caps_start_wait(ConnectionCaps* caps) {
  std::lock_guard<std::mutex> hold(caps->lock);
  if (caps->waiting_now >= caps->waiting) return false;
  ++caps->waiting_now;
  return true;
}

void caps_end_wait(ConnectionCaps* caps) {
  std::lock_guard<std::mutex> hold(caps->lock);
  if (caps->waiting_now > 0) --caps->waiting_now;
}
