#pragma once
// The bearer token kept for the next start (read back by start-up's token search).

// Writes `token` (UTF-8) as REG_SZ "AuthToken" under HKCU "Software\Olvex\Callwarden",
// creating the key when missing. False when the key or the value cannot be written.
bool store_auth_token(const char* token);
