#pragma once
// Colour set of the checker card.
enum VerdictState {
  VERDICT_IDLE = 0,
  VERDICT_SAFE = 1,
  VERDICT_CAUTION = 2,
  VERDICT_SCAM = 3,
  VERDICT_CHECKING = 4
};
