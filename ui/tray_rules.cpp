#include "ui/tray_rules.h"

#include "app/ids.h"

const TrayMenuItem tray_menu_items[TRAY_MENU_ITEM_COUNT] = {
    {IDM_TRAY_OPEN, L"Open Olvex Callwarden"},
    {IDM_TRAY_CHECK_CLIPBOARD, L"Check Clipboard for Scam"},
    {IDM_TRAY_OVERRIDE, L"1-Hour Guardian Override (PIN)"},
    {0, nullptr},
    {IDM_TRAY_EXIT, L"Exit Callwarden Completely"},
};

TrayCall choose_tray_call(int add, int icon_added) {
  if (icon_added) return TRAY_CALL_MODIFY;
  return add ? TRAY_CALL_ADD : TRAY_CALL_NONE;
}

const wchar_t* tray_tooltip(int blocker_enabled) {
  return blocker_enabled ? TRAY_TIP_ACTIVE : TRAY_TIP_PAUSED;
}
