#pragma once
// The cleaner's file names: where the two browsers keep their default profile's Preferences
// (under local app data) and what the backup beside each is called.
#include <cstddef>

#define CHROME_PREFERENCES_TAIL L"\\Google\\Chrome\\User Data\\Default\\Preferences"
#define EDGE_PREFERENCES_TAIL L"\\Microsoft\\Edge\\User Data\\Default\\Preferences"
#define BACKUP_SUFFIX L".callwarden.bak"

// `head` followed by `tail` into `out`. False, with `out` empty, when the whole name does not
// fit in `capacity` - 1 units: a cut name would be some other file.
bool join_file_name(wchar_t* out, size_t capacity, const wchar_t* head, const wchar_t* tail);
