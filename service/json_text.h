#pragma once
// The whole JSON toolkit of the service client: escaping values into request
// bodies and looking values up in an answer by their quoted key. There is no
// tree: a lookup lands on the first "key": anywhere in the text.
//
// All functions work on NUL-terminated byte strings, allocate nothing, keep no
// state and are safe to call from several worker threads at once. Bytes 0x80..0xFF
// pass through unchanged in both directions; nothing checks for valid UTF-8.
#include <cstddef>
#include <cstdint>

// Escapes `source` for use inside a JSON string. Stops once the output reaches
// capacity - 7 bytes, so an escape is never cut (the source may be). `capacity`
// should be at least 8; below that the output is empty. `out` is always terminated.
void json_escape(const char* source, char* out, size_t capacity);

// First byte of the value after the first "key": in `body` (blanks skipped, may be
// the terminating NUL), or null when the key never appears followed by a colon.
const char* json_find_value(const char* body, const char* key);

// Decodes the JSON string whose opening quote is at `quote` into `out`. Pieces
// that do not fit are dropped whole. \n becomes CR LF, \t a space; \r, \b, \f are
// dropped; each \uXXXX is encoded by itself (surrogates are not paired).
// Returns the position just past the closing quote, or of the terminating NUL.
const char* json_read_string(const char* quote, char* out, size_t capacity);

// The decoded string value of `key`, or an empty text when it is missing or not a string.
void json_get_string(const char* body, const char* key, char* out, size_t capacity);

// The integer value of `key` (a leading quote is stepped over), 0 when absent.
// Values beyond 32 bits saturate at INT32_MIN / INT32_MAX.
int32_t json_get_int(const char* body, const char* key);

// 1 for a value beginning with true or the digit 1, else 0.
int json_get_bool(const char* body, const char* key);
// 1 only for a value that is false itself; a missing key, or any other value, is 0.
int json_is_false(const char* body, const char* key);
