#include "popup_cleaner/cleaner_message.h"

#include <cstdio>
#include <cwchar>

#include "popup_cleaner/preferences_scan.h"

namespace {

// The four trusted domains the messages name: the vendor's, the search provider's, the
// operating system maker's and the broadcaster's.
const int kNamedDomains[4] = {0, 1, 3, 7};

void append(wchar_t* out, size_t capacity, size_t* n, const wchar_t* text) {
  while (*text != L'\0' && *n + 1 < capacity)
    out[(*n)++] = *text++;
  out[*n] = L'\0';
}

// The domains are ASCII, so each byte widens to one unit.
void append_ascii(wchar_t* out, size_t capacity, size_t* n, const char* text) {
  while (*text != '\0' && *n + 1 < capacity)
    out[(*n)++] = static_cast<wchar_t>(static_cast<unsigned char>(*text++));
  out[*n] = L'\0';
}

// "a, b, c, and d" in the nothing-found message, "a, b, c, d" in the blocked one.
void domain_list(wchar_t* out, size_t capacity, bool with_and) {
  size_t n = 0;
  out[0] = L'\0';
  for (int i = 0; i < 4; i++) {
    if (i > 0) append(out, capacity, &n, i == 3 && with_and ? L", and " : L", ");
    append_ascii(out, capacity, &n, trusted_domains[kNamedDomains[i]]);
  }
}

} // namespace

void compose_cleaner_message(BrowserScan chrome, BrowserScan edge, CleanerMessage* out) {
  const size_t limit = CLEANER_MESSAGE_CAPACITY - 1;
  wmemset(out->text, L'\0', CLEANER_MESSAGE_CAPACITY);
  wchar_t domains[160];
  const int total = chrome.count + edge.count;
  const bool chrome_pending = chrome.count > 0 && !chrome.blocked;
  const bool edge_pending = edge.count > 0 && !edge.blocked;

  if (chrome.count == 0 && edge.count == 0) {
    domain_list(domains, 160, true);
    swprintf(out->text, CLEANER_MESSAGE_CAPACITY,
             L"All Clear! 0 untrusted browser notification spam sites were found in Google "
             L"Chrome or Microsoft Edge.\r\n\r\n(Trusted sites like %ls are always preserved.)",
             domains);
    out->caption = L"Olvex Callwarden \u2014 Pop-Up Cleaner";
    out->icon = CLEANER_ICON_INFORMATION;
  } else if (!chrome_pending && !edge_pending) {
    domain_list(domains, 160, false);
    swprintf(out->text, CLEANER_MESSAGE_CAPACITY,
             L"Success! Backed up your browser Preferences (.callwarden.bak) and blocked %d "
             L"untrusted push-notification site(s) (%d in Chrome, %d in Edge).\r\n\r\nYour "
             L"bookmarks, saved passwords, and trusted sites (%ls) were completely untouched.",
             total, chrome.count, edge.count, domains);
    out->caption = L"Olvex Callwarden \u2014 Pop-Ups Cleaned";
    out->icon = CLEANER_ICON_INFORMATION;
  } else {
    swprintf(out->text, CLEANER_MESSAGE_CAPACITY,
             L"Found %d untrusted push-notification site(s) (%d in Chrome, %d in Edge).\r\n\r\n"
             L"Please close %ls%ls%ls first and click 'Clean Fake Virus Pop-Ups' again so "
             L"Callwarden can safely back up and block them without the browser overwriting its "
             L"Preferences file.",
             total, chrome.count, edge.count, chrome_pending ? L"Google Chrome" : L"",
             chrome_pending && edge_pending ? L" and " : L"",
             edge_pending ? L"Microsoft Edge" : L"");
    out->caption = L"Olvex Callwarden \u2014 Close Browser to Finish Cleaning";
    out->icon = CLEANER_ICON_WARNING;
  }
  out->text[limit] = L'\0';
}
