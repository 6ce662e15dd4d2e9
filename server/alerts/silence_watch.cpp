#include "alerts/silence_watch.h"

#include <vector>

#include "alerts/alert_raise.h"
#include "store/store_silence.h"

namespace {

// Computers taken at one look; more are found by looking again at once.
const int kSilencesPerLook = 50;

AlertFacts facts_of(const DeviceLink& device, AlertKind kind, int64_t now) {
  AlertFacts facts;
  facts.kind = kind;
  facts.device_label = device.device_label;
  facts.person_name = device.person_name;
  facts.at = now;
  facts.device_key = device.link_id;
  facts.happened_at = device_heard_at(device);
  return facts;
}

// One computer's silence and its alert, in one transaction: of all instances one takes it, and
// an alert that cannot be queued leaves the silence to be taken again.
int alert_silence(ServiceContext* context, ServiceStore* store, const DeviceLink& device,
                  int64_t now, bool* taken) {
  SqlTransaction transaction(store->sql);
  bool queued = false;
  if (!transaction.begun() || !store_take_silence(store, device.link_id, now, taken)) return 0;
  if (!*taken) return 1;
  if (!store_add_event(store, device.account_id, "protection", "silent", device.device_label,
                       now) ||
      !queue_alert(context, store, device.account_id, facts_of(device, kAlertSilent, now),
                   &queued) ||
      !transaction.commit())
    return 0;
  if (queued) wake_alert_senders(context);
  return 1;
}

// The computer called after its silence was alerted: the family hears it is back.
int alert_back_on(ServiceContext* context, ServiceStore* store, const DeviceLink& device,
                  int64_t now) {
  SqlTransaction transaction(store->sql);
  bool taken = false;
  bool queued = false;
  if (!transaction.begun() || !store_end_silence(store, device.link_id, &taken)) return 0;
  if (taken && (!store_add_event(store, device.account_id, "protection", "back_on",
                                 device.device_label, now) ||
                !queue_alert(context, store, device.account_id, facts_of(device, kAlertBackOn, now),
                             &queued)))
    return 0;
  if (!transaction.commit()) return 0;
  if (queued) wake_alert_senders(context);
  return 1;
}

} // namespace

int watch_silence(ServiceContext* context, ServiceStore* store, int64_t now, int* alerted) {
  *alerted = 0;
  for (;;) {
    std::vector<DeviceLink> due;
    if (!store_due_silences(store, now, kSilencesPerLook, &due)) return 0;
    int taken_now = 0;
    for (const DeviceLink& device : due) {
      bool taken = false;
      if (!alert_silence(context, store, device, now, &taken)) return 0;
      if (taken) ++taken_now;
    }
    *alerted += taken_now;
    // A full look may have left more behind; one that took nothing leaves them to the others.
    if (due.size() < static_cast<size_t>(kSilencesPerLook) || taken_now == 0) return 1;
  }
}

int note_heard_from(ServiceContext* context, ServiceStore* store, const DeviceLink& device,
                    const std::string& label, int64_t now) {
  const SilenceLimits limits = silence_limits(*context);
  const bool was_alerted = device.silence_alerted_at > 0;
  if (was_alerted && !alert_back_on(context, store, device, now)) return 0;
  return store_note_device_seen(store, device, label, now, heard_write_seconds(limits),
                                silence_deadline(limits, now, device.threat_at), was_alerted);
}
