#pragma once
// What a linked computer reports of its own protection (paused, closed, removed...), the
// Guardian lock the family may put on it, and the code a family page session asked for to take
// a lock off. Same rules as store_family.h: 1 on success, 0 on failure.
#include <cstdint>
#include <string>

#include "store/store_family.h"

// Protection states a computer can be in, as the family page shows them.
#define PROTECTION_ON ""
#define PROTECTION_PAUSED "paused"
#define PROTECTION_CLOSED "closed"
#define PROTECTION_REMOVED "removed"
// Expected silence: Windows shut down or signed out, or the computer went to sleep.
#define PROTECTION_SHUTDOWN "shutdown"
#define PROTECTION_SUSPENDED "suspended"

// The computer's protection is `state` from `at`, unless it already reported something later:
// reports kept while it was offline arrive after newer ones. Back on, it is watched for silence
// from `silent_at`; in any other state it is not watched.
int store_note_protection(ServiceStore* store, const std::string& link_id, const std::string& state,
                          int64_t at, int64_t silent_at);
// A status call from a computer last reported closed, removed, shut down or asleep: it runs
// again, every start begins with the blocker on, and it is watched for silence from
// `silent_at`.
int store_note_running_again(ServiceStore* store, const std::string& link_id, int64_t now,
                             int64_t silent_at);
// True for the states a status call ends (the computer evidently runs again).
bool protection_state_ends_with_a_call(const std::string& state);
int store_note_pause_alerted(ServiceStore* store, const std::string& link_id, int64_t now);
// 1 when the account has this computer and its lock is now `on`.
int store_set_guardian_lock(ServiceStore* store, int64_t account_id, const std::string& link_id,
                            bool on);

// The code sent to take a lock off, kept with the session that asked for it ("" for none).
int store_set_session_lock_challenge(ServiceStore* store, const std::string& session_id,
                                     const std::string& challenge_id);
int store_session_lock_challenge(ServiceStore* store, const std::string& session_id,
                                 std::string* challenge_id);

// What a code sent to take a Guardian lock off is for.
#define kCodeForLockOff "lock_off"
// What a code sent to unlink a locked computer is for: it names that computer.
#define kCodeForUnlink "unlink"

// The code a family page session asked for to unlink a locked computer, and that computer
// ("" for none).
int store_set_session_unlink_challenge(ServiceStore* store, const std::string& session_id,
                                       const std::string& challenge_id, const std::string& link_id);
int store_session_unlink_challenge(ServiceStore* store, const std::string& session_id,
                                   std::string* challenge_id, std::string* link_id);
