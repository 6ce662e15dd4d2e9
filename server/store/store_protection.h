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

// The computer's protection is `state` from `at`, unless it already reported something later:
// reports kept while it was offline arrive after newer ones.
int store_note_protection(ServiceStore* store, const std::string& link_id, const std::string& state,
                          int64_t at);
// A status call from a computer last reported closed or removed: it runs again, and every
// start begins with the blocker on.
int store_note_running_again(ServiceStore* store, const std::string& link_id, int64_t now);
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
