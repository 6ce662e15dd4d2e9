#pragma once
// What the uninstall registers and says, and its command lines, without the platform.
#include <cstddef>
#include <cstdint>

#include "autostart/install_paths.h"

#define UNINSTALL_KEY L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OlvexCallwarden"
#define UNINSTALL_FLAG L"--uninstall"
// The helper copy's command line: "--uninstall-finish <handle> <steps>".
#define UNINSTALL_FINISH_FLAG L"--uninstall-finish"
#define UNINSTALL_STRING_CAPACITY (INSTALL_PATH_CAPACITY + 16)
#define UNINSTALL_REPORT_CAPACITY 1024

// The values of the Apps & features entry for the installed program at `program`.
struct UninstallValues {
  wchar_t uninstall_string[UNINSTALL_STRING_CAPACITY]; // "\"<program>\" --uninstall"
  wchar_t display_icon[UNINSTALL_STRING_CAPACITY];     // "<program>,0"
  wchar_t install_location[INSTALL_PATH_CAPACITY];     // the folder holding it
};

// False when `program` is empty or has no folder: no entry is written for it then.
bool make_uninstall_values(const wchar_t* program, UninstallValues* out);

// Kilobytes, rounded up, as EstimatedSize wants them; at most 0xFFFFFFFF.
uint32_t estimated_size_kb(uint64_t bytes);

// What the uninstall did, one bit each.
enum UninstallStep {
  UNINSTALL_STOPPED_PROGRAM = 1,
  UNINSTALL_REMOVED_START_ENTRY = 2,
  UNINSTALL_REMOVED_APPS_ENTRY = 4,
  UNINSTALL_REMOVED_TOKEN = 8,
  UNINSTALL_DELETED_COPY = 16,
  UNINSTALL_COPY_LEFT = 32, // the installed copy could not be deleted
};
#define UNINSTALL_ALL_STEPS 63u

// The closing message: one line for each step done; `installed` names the copy deleted or left.
void format_uninstall_report(unsigned steps, const wchar_t* installed, wchar_t* out,
                             size_t capacity);

enum UninstallCommand { UNINSTALL_NONE, UNINSTALL_START, UNINSTALL_FINISH };

// Which uninstall the command tail asks for. For the finish, `handle` gets the decimal number
// after the flag (the inherited handle of the process to wait for) and `steps` the one after
// that; a finish whose numbers are missing or malformed counts as UNINSTALL_NONE.
UninstallCommand parse_uninstall_command(const wchar_t* tail, uint64_t* handle, unsigned* steps);

// What the uninstall sends the running program (WM_COPYDATA with QUIT_PROOF_ID) to end it. With
// the Guardian lock on, a running program ends only for a proof that the asking copy verified the
// Guardian PIN: the PIN itself, which it checks with the service again. The older quit message,
// WM_APP_QUIT, carries no proof and ends only an unlocked program.
#define QUIT_PROOF_ID 0x4F435155u /* "OCQU" */
#define QUIT_PROOF_MAGIC 0x4F435151u
struct QuitProof {
  uint32_t magic;            // QUIT_PROOF_MAGIC
  uint32_t removal_reported; // 1: the asking copy told the family itself
  char guardian_pin[8];      // the PIN the asking copy had accepted, "" without a lock
};

// Reads what came with WM_COPYDATA; false for anything that is not a whole quit proof.
bool read_quit_proof(uint32_t id, const void* data, size_t size, QuitProof* out);

enum QuitAnswer { QUIT_NOW, QUIT_AFTER_PIN_CHECK, QUIT_REFUSED };
// How a running program answers a request to end: `proof` null for the older quit message.
QuitAnswer answer_quit(bool locked, const QuitProof* proof);
