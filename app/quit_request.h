#pragma once
// Another copy of the program asks this one to end: the uninstall, as it removes Callwarden.
// While the family's Guardian lock is on, this program ends only when that copy proves it had
// the Guardian PIN accepted (autostart/uninstall_rules.h); and every such end tells the family
// first, unless the asking copy already did.
#include <windows.h>

// WM_APP_QUIT, the older copies' message: no proof.
LRESULT on_plain_quit(HWND hwnd);
// WM_COPYDATA: TRUE when it was a quit proof this program took up.
LRESULT on_quit_with_proof(HWND hwnd, LPARAM lparam);
