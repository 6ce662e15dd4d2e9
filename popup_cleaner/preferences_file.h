#pragma once
// Reading, backing up and rewriting one browser Preferences file around the byte scanner.
#include <windows.h>

// Counts the untrusted notification grants in the file at `path`; 0 when it cannot be read,
// its size is outside 17 bytes..16 MiB, or it has no notifications object. With `apply`,
// a file with grants is backed up beside itself as "<path>.callwarden.bak" and rewritten
// with each counted grant blocked. `blocked` (may be null) is set to true only when the
// rewritten file is whole on disk; the count is returned either way.
//
// The file is never left damaged: without a backup nothing is rewritten, and a rewrite that
// fails or comes up short puts the original bytes back.
int scan_notification_permissions(const wchar_t* path, bool apply, bool* blocked = nullptr);

// Writes `size` bytes at the file's current position; returns how many were written.
typedef DWORD (*PreferencesWriter)(HANDLE file, const char* bytes, DWORD size);

// The writer used for real: one WriteFile call.
DWORD write_preferences_bytes(HANDLE file, const char* bytes, DWORD size);

enum RewriteOutcome {
  REWRITE_DONE,     // `patched` is in the file, whole
  REWRITE_RESTORED, // the write failed or was short; the file holds `original` again
  REWRITE_LOST      // neither could be written; the caller must restore from the backup
};

// Writes `patched` through `writer` into `file`, freshly emptied and open for writing; on a
// failed or short write, puts `original` back from the start of the file with WriteFile.
RewriteOutcome write_patched_or_restore(HANDLE file, const char* patched, const char* original,
                                        DWORD size, PreferencesWriter writer);
