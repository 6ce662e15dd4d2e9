#pragma once
// The queue of texts (SMS) to UK mobiles, shared by every instance on the database: codes and
// alerts, each with the id its delivery reports come back under, and what those reports said.
// The same rules as store_family.h: one SQL text for SQLite and PostgreSQL, and every step that
// several instances may take at once is one conditional statement.
#include <cstdint>
#include <map>
#include <string>

#include "store/service_store.h"

#define kTextForCode "code"
#define kTextForAlert "alert"

struct QueuedText {
  int64_t id = 0;
  int64_t account_id = 0;
  std::string number; // international, digits only: "447700900123"
  std::string body;
  std::string kind;       // kTextForCode or kTextForAlert
  std::string report_id;  // 32 hex digits, unguessable: the delivery reports' address
  int tries = 0;          // this one included
  int64_t expires_at = 0; // 0: never; a code is worth nothing once it has run out
};

// What became of the last alert texted to one number.
struct TextStatus {
  std::string state;  // "waiting", "sent", "given_up"
  std::string report; // "", "accepted", "delivered", "failed": the gateway's latest word
  int64_t created_at = 0;
  int64_t report_at = 0; // when that word came
};

// Queues a text with a fresh report id (given in `*report_id` when not null).
int store_queue_text(ServiceStore* store, int64_t account_id, const std::string& number,
                     const std::string& body, const char* kind, int64_t expires_at, int64_t now,
                     std::string* report_id = nullptr);
// Claims the oldest text due at `now` for `lease` seconds: 1 with it in `*out`, 0 when none is
// due. One conditional UPDATE, so two instances never send the same text.
int store_claim_text(ServiceStore* store, int64_t now, int64_t lease, QueuedText* out);
// The gateway took it. A code's words are forgotten then: they hold the code.
int store_text_sent(ServiceStore* store, int64_t id, int64_t now);
// Back in the queue from `next_try_at`, or given up when `give_up`.
int store_text_failed(ServiceStore* store, int64_t id, int64_t next_try_at, bool give_up);
// Records a delivery report. "delivered" and "failed" are final: a late "accepted" does not
// undo them. `*changed` says whether the report was news (for the counts); 0 when no text has
// this report id.
int store_text_report(ServiceStore* store, const std::string& report_id, const std::string& report,
                      int64_t now, bool* changed);
// The last alert texted to each number of the account, by number.
int store_last_alert_texts(ServiceStore* store, int64_t account_id,
                           std::map<std::string, TextStatus>* out);
// Counts by state, for tests.
int store_text_states(ServiceStore* store, std::map<std::string, int>* out);
