#pragma once
// The steps of the message check that the handlers in checker.h are made of.
#include <windows.h>

#include "app/verdict_state.h"
#include "checker/check_text.h"

// The message edit as UTF-8 (at most 6099 characters read, at most capacity - 1 bytes
// kept, cut at a whole character); empty when the edit is.
void read_message_utf8(char* out, size_t capacity);

// What the card and the check buttons showed before a check began, so that a check
// that could not be started leaves the window as it found it.
struct CheckCardSnapshot {
  VerdictState state;
  wchar_t status[CHECK_STATUS_CAPACITY];
  wchar_t detail[CHECK_DETAIL_CAPACITY];
  BOOL check_enabled;
  BOOL paste_check_enabled;
};

void take_card_snapshot(CheckCardSnapshot* snapshot);
void restore_card_snapshot(const CheckCardSnapshot* snapshot);

// Card to Checking, both check buttons off, repaint.
void show_checking(void);
