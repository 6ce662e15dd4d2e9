#include "app/app_state.h"

#include "app/scale.h"

AppState g_app;

void copy_wide(wchar_t* out, size_t capacity, const wchar_t* text) {
  if (capacity == 0) return;
  size_t n = 0;
  if (text) {
    while (n + 1 < capacity && text[n] != L'\0') {
      out[n] = text[n];
      n++;
    }
  }
  out[n] = L'\0';
}

void reset_app_state(void) {
  ZeroMemory(&g_app, sizeof(g_app));
  g_app.blocker_enabled = 1;
  g_app.verdict_state = VERDICT_IDLE;
  g_app.dpi = 96;
  copy_wide(g_app.status_text, ARRAYSIZE(g_app.status_text),
            L"Ready \u2014 Paste a suspicious text, email, or link above");
  copy_wide(g_app.detail_text, ARRAYSIZE(g_app.detail_text),
            L"Not sure about a parcel fee text, HMRC email, or WhatsApp message? Paste it above "
            L"or click 'Paste Clipboard & Check' for an instant plain-English verdict.");
  copy_wide(g_app.account_text, ARRAYSIZE(g_app.account_text),
            L"Checking account link... (5 free AI scam checks/day included)");
}

int scale(int v) { return scale_for_dpi(v, g_app.dpi); }
