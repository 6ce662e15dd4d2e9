#pragma once
// What the tray icon says and which notification-area call each update makes.

#define TRAY_TIP_ACTIVE L"Olvex Callwarden \u2014 Active Remote-Scam Protection"
#define TRAY_TIP_PAUSED L"Olvex Callwarden \u2014 Protection Paused"
#define TRAY_HIDE_BALLOON_TITLE L"Olvex Callwarden Still Protecting You"
#define TRAY_HIDE_BALLOON_TEXT                                                                     \
  L"Callwarden is running quietly in your system tray to block phone-scam remote apps."
#define EXIT_CONFIRM_TEXT                                                                          \
  L"Exit Olvex Callwarden completely?\r\n\r\nRemote-scam protection will stop until "              \
  L"Callwarden is opened again."
#define EXIT_CONFIRM_CAPTION L"Exit Olvex Callwarden"

// Units each tray text may hold before its terminator.
#define TRAY_TIP_MAX 127
#define TRAY_BALLOON_TITLE_MAX 63
#define TRAY_BALLOON_TEXT_MAX 255

enum TrayCall { TRAY_CALL_NONE = 0, TRAY_CALL_ADD = 1, TRAY_CALL_MODIFY = 2 };

// The icon is added at most once per process; updates before that are dropped.
TrayCall choose_tray_call(int add, int icon_added);

// The tooltip follows the blocker switch only; a running override does not change it.
const wchar_t* tray_tooltip(int blocker_enabled);

struct TrayMenuItem {
  int id; // 0 marks the separator
  const wchar_t* text;
};

#define TRAY_MENU_ITEM_COUNT 5
extern const TrayMenuItem tray_menu_items[TRAY_MENU_ITEM_COUNT];
