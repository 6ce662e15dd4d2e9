#pragma once
// What the family page and the alerts keep, beside service_store.h: the computers linked to an
// account, web sessions, the people who get alerts, what happened on the computers, and the
// queue of alerts to deliver. The same rules hold: one SQL text for SQLite and PostgreSQL,
// secrets (session ids) only as digests, hashed and compared here, and every step that several
// instances may take at once is one conditional statement.
// Functions return 1 on success and 0 on failure; the find functions say what they found (Lookup).
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "store/service_store.h"

// One linked computer: a device token, seen from the family page.
struct DeviceLink {
  int64_t account_id = 0;
  std::string link_id; // names the link on the page; not the token
  std::string device_label;
  std::string person_name; // who uses it, as the Guardian put it ("Mum"); may be empty
  int64_t created_at = 0;
  int64_t last_seen_at = 0; // when it was last heard from; 0 when never since linking
  // Its protection as it last reported it: "" (on), "paused", "closed", "removed", "shutdown"
  // or "suspended" (store_protection.h), since `protection_at`.
  std::string protection_state;
  int64_t protection_at = 0;
  int64_t pause_alerted_at = 0; // when the family was last told of a pause on it
  bool guardian_lock = false;   // pausing, closing and removing it need the Guardian PIN
  int64_t threat_at = 0;        // its last report of a blocked tool
  // When it counts as silent; 0 while it is not watched (not on, or its silence was alerted).
  int64_t silent_at = 0;
  int64_t silence_alerted_at = 0; // when its silence was alerted; 0 once heard from again
};

// When it was last heard from: the last call, or its linking before any call.
int64_t device_heard_at(const DeviceLink& device);

Lookup store_find_device(ServiceStore* store, const std::string& token, DeviceLink* out);
// The account's computer with this link id.
Lookup store_find_link(ServiceStore* store, int64_t account_id, const std::string& link_id,
                       DeviceLink* out);
// Records the label a linked computer sent, when it changed, and the time it was heard from
// with the moment it would count as silent (`silent_at`, kept only while its protection is on),
// unless that was written less than `write_seconds` ago and `force` is false. Most calls write
// nothing at all.
int store_note_device_seen(ServiceStore* store, const DeviceLink& known, const std::string& label,
                           int64_t now, int64_t write_seconds, int64_t silent_at, bool force);
int store_list_devices(ServiceStore* store, int64_t account_id, std::vector<DeviceLink>* out);
// 1 when the account had this link and it is gone: its token stops working at once. A computer
// whose Guardian lock is on goes only `even_locked` (a fresh code was given for it), whatever
// changed since the caller looked.
int store_unlink_device(ServiceStore* store, int64_t account_id, const std::string& link_id,
                        bool even_locked);
int store_name_device(ServiceStore* store, int64_t account_id, const std::string& link_id,
                      const std::string& person_name);

// ---- web sessions: the cookie holds the id, the table its SHA-256 digest ----
struct WebSession {
  int64_t account_id = 0;
  int64_t created_at = 0;
  int64_t last_used_at = 0;
  std::string pin_challenge_id; // the code sent for a PIN change, if one is under way
};

const int64_t kSessionIdleSeconds = 30 * 24 * 60 * 60;

// Makes a session for the account and gives its id (for the cookie) in `*session_id`.
int store_start_session(ServiceStore* store, int64_t account_id, int64_t now,
                        std::string* session_id);
// Finds a session used within kSessionIdleSeconds and notes its use (written at most hourly).
Lookup store_find_session(ServiceStore* store, const std::string& session_id, int64_t now,
                          WebSession* out);
int store_end_session(ServiceStore* store, const std::string& session_id);
int store_set_session_pin_challenge(ServiceStore* store, const std::string& session_id,
                                    const std::string& challenge_id);

// CSRF tokens are keyed digests of the session id (or, before sign-in, of the sign-in form's
// cookie), so nothing more is stored and a token is good for its session only.
std::string store_session_form_token(ServiceStore* store, const std::string& session_id);
std::string store_sign_in_form_token(ServiceStore* store, const std::string& form_cookie);
bool store_form_token_matches(const std::string& expected, const std::string& sent);

// ---- the people who get alerts, beside the account's own identifier ----
struct AlertContact {
  int64_t id = 0;
  std::string identifier;
  bool confirmed = false;
  std::string challenge_id; // the code sent to confirm it
};

const int kMaxAlertContacts = 4;

enum ContactAdded { kContactAdded, kContactAlreadyListed, kContactListFull, kContactFailed };

int store_list_contacts(ServiceStore* store, int64_t account_id, std::vector<AlertContact>* out);
// Takes a free place of the four, so that two adding at once cannot pass the limit.
ContactAdded store_add_contact(ServiceStore* store, int64_t account_id,
                               const std::string& identifier, int64_t now, int64_t* contact_id);
int store_set_contact_challenge(ServiceStore* store, int64_t account_id, int64_t contact_id,
                                const std::string& challenge_id);
Lookup store_find_contact(ServiceStore* store, int64_t account_id, int64_t contact_id,
                          AlertContact* out);
int store_confirm_contact(ServiceStore* store, int64_t account_id, int64_t contact_id);
int store_remove_contact(ServiceStore* store, int64_t account_id, int64_t contact_id);
// The account's own identifier first, then every confirmed contact.
int store_alert_recipients(ServiceStore* store, int64_t account_id, std::vector<std::string>* out);
int store_set_scam_alerts(ServiceStore* store, int64_t account_id, bool on);

// ---- what happened on the account's computers ----
struct AccountEvent {
  std::string kind;   // "override_used", "override_refused", "tool_stopped"
  std::string detail; // the tool, for tool_stopped
  std::string device_label;
  int64_t at = 0;
};

int store_add_event(ServiceStore* store, int64_t account_id, const std::string& kind,
                    const std::string& detail, const std::string& device_label, int64_t now);
// A check's verdict, counted for the family page; never its text.
struct CheckVerdict {
  int64_t account_id = 0;
  std::string verdict;
  std::string device_label;
  int64_t at = 0;
};
// Writes them all in one transaction: all or none.
int store_add_checks(ServiceStore* store, const std::vector<CheckVerdict>& checks);
// Stopped tools and overrides since `since`, newest first, at most `limit`.
int store_recent_events(ServiceStore* store, int64_t account_id, int64_t since, int limit,
                        std::vector<AccountEvent>* out);
// Checks judged since `since`, by verdict; only the verdict of each is kept, never its text.
int store_verdict_counts(ServiceStore* store, int64_t account_id, int64_t since,
                         std::map<std::string, int>* out);

// ---- alerts ----
// 1 in `*first` when no alert with this key went out since `now - window`; the key is then
// held until `now + window`. One statement, so of two instances at once only one gets it.
int store_take_alert_slot(ServiceStore* store, const std::string& key, int64_t now, int64_t window,
                          bool* first);
// The key is free again at once: the next such alert goes out however soon it comes.
int store_release_alert_slot(ServiceStore* store, const std::string& key);

struct QueuedAlert {
  int64_t id = 0;
  int64_t account_id = 0;
  std::string recipient;
  std::string body;
  int tries = 0; // this one included
  bool outbox_written = false;
  int64_t claimed_until = 0; // this claim's lease: what is written of it holds only while it does
};

int store_queue_alert(ServiceStore* store, int64_t account_id, const std::string& recipient,
                      const std::string& body, int64_t now);
// Claims the oldest alert due at `now` for `lease` seconds: 1 with it in `*out`, 0 when none is
// due. A claim is one conditional UPDATE, so two instances never deliver the same alert.
int store_claim_alert(ServiceStore* store, int64_t now, int64_t lease, QueuedAlert* out);
// Each of these changes the alert only while `alert`'s claim holds (a sender stalled past its
// lease, whose alert another has claimed since, changes nothing): 1 when it changed it, 0 when
// the claim was lost or the store failed.
int store_alert_outbox_written(ServiceStore* store, const QueuedAlert& alert, bool written);
int store_alert_sent(ServiceStore* store, const QueuedAlert& alert, int64_t now);
// Back in the queue from `next_try_at`, or given up when `give_up`.
int store_alert_failed(ServiceStore* store, const QueuedAlert& alert, int64_t next_try_at,
                       bool give_up);
// Counts by state ("waiting", "sent", "failed"), for tests and /metrics.
int store_alert_states(ServiceStore* store, std::map<std::string, int>* out);
