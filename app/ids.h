#pragma once
// Window messages, the timer and every command id, in one place.

#define WM_APP_TRAY (0x8000 + 41)   /* WM_APP + 41: tray icon callback */
#define WM_APP_SHOW (0x8000 + 42)   /* WM_APP + 42: posted by a second instance */
#define WM_APP_RESULT (0x8000 + 43) /* WM_APP + 43: lParam owns a ServiceResult */
#define WM_APP_QUIT (0x8000 + 44)   /* WM_APP + 44: the uninstall closes the program */

#define IDT_BLOCKER 701
#define BLOCKER_INTERVAL_MS 1500
#define IDT_HEARTBEAT 702 /* its waits: app/heartbeat.h */

#define IDC_IDENTIFIER_EDIT 1001
#define IDC_PIN_BUTTON 1002
#define IDC_GET_BUTTON 1003
#define IDC_PAUSE_BUTTON 1004
#define IDC_OVERRIDE_BUTTON 1005
#define IDC_MESSAGE_EDIT 1006
#define IDC_PASTE_CHECK_BUTTON 1007
#define IDC_CHECK_BUTTON 1008
#define IDC_CLEAN_POPUPS_BUTTON 1009
#define IDC_STARTUP_CHECKBOX 1010

#define IDM_TRAY_OPEN 2001
#define IDM_TRAY_CHECK_CLIPBOARD 2002
#define IDM_TRAY_OVERRIDE 2003
#define IDM_TRAY_EXIT 2004

#define IDI_APP_ICON 1

#define CALLWARDEN_WINDOW_CLASS L"OlvexCallwardenWndV1"
#define CALLWARDEN_MUTEX_NAME L"Local\\OlvexCallwardenSingletonV1"
#define CALLWARDEN_WINDOW_TITLE L"Olvex Callwarden \u2014 Live Scam & Remote-Caller Protection"
