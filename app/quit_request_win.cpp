#include "app/quit_request.h"

#include "app/app_state.h"
#include "autostart/uninstall_rules.h"
#include "protection/guardian_lock.h"

namespace {

LRESULT answer(HWND hwnd, const QuitProof* proof) {
  switch (answer_quit(guardian_lock_on(), proof)) {
  case QUIT_NOW:
    end_for_removal(hwnd, proof != nullptr && proof->removal_reported != 0);
    return TRUE;
  case QUIT_AFTER_PIN_CHECK:
    // One PIN check at a time: one the person started here is not taken for this one.
    if (g_app.guardian_pending != GUARDIAN_NONE) return FALSE;
    g_app.quit_reported = proof->removal_reported != 0;
    verify_guardian_pin_text(proof->guardian_pin, GUARDIAN_REMOVE);
    return TRUE;
  case QUIT_REFUSED: break;
  }
  // Locked, and no proof: the program goes on. A copy that ends it anyway is heard by the
  // service's silence watch.
  return FALSE;
}

} // namespace

LRESULT on_plain_quit(HWND hwnd) {
  answer(hwnd, nullptr);
  return 0;
}

LRESULT on_quit_with_proof(HWND hwnd, LPARAM lparam) {
  const COPYDATASTRUCT* copied = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
  QuitProof proof;
  if (copied == nullptr || !read_quit_proof(static_cast<uint32_t>(copied->dwData), copied->lpData,
                                            copied->cbData, &proof))
    return FALSE;
  const LRESULT taken = answer(hwnd, &proof);
  SecureZeroMemory(&proof, sizeof(proof));
  return taken;
}
