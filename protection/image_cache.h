#pragma once
// What the blocker learnt from each running process's image (the version resource), kept
// from one sweep to the next so that every image is read only once. Processes that are no
// longer listed are forgotten at the end of the sweep that missed them.
//
// A remembered process is identified by its id and creation time. While it is remembered the
// sweep holds a handle to it, and Windows never gives a process id to a new process while a
// handle to the old one is open, so the id alone finds the same process again. A process that
// could not be opened holds no handle; it is recognised by its id, its parent's id and the
// hash of its executable name, and read again when any of them differs.
#include <cstddef>
#include <cstdint>

#define IMAGE_CACHE_CAPACITY 2048 // slots per table, a power of two
// Above this many processes new ones are not remembered (and are read on every sweep).
#define IMAGE_CACHE_MOST (IMAGE_CACHE_CAPACITY * 3 / 4)

struct ImageCacheEntry {
  uint32_t process_id; // 0 marks an empty slot (the blocker never looks at ids 0 to 4)
  uint32_t parent_id;
  uint32_t name_hash;
  int tool_index;   // into remote_tools, or -1: no listed tool, or the image could not be read
  uint64_t created; // creation time (FILETIME units); 0 when the process could not be opened
  void* handle;     // the process handle that keeps the id from being reused, or null
  int carried;      // set in the old table once the entry has moved on to the new one
};

// Two tables: the one filled during the previous sweep and the one the current sweep fills.
struct ImageCache {
  ImageCacheEntry tables[2][IMAGE_CACHE_CAPACITY];
  size_t counts[2];
  int previous; // index of the table the previous sweep filled
};

void image_cache_reset(ImageCache* cache);

// FNV-1a over the name's units, ASCII letters folded to lower case.
uint32_t image_name_hash(const wchar_t* exe_name);

// The process remembered from the previous sweep, moved into the current one; null when it
// is new (or an unopened process whose parent or name has changed).
const ImageCacheEntry* image_cache_carry(ImageCache* cache, uint32_t process_id, uint32_t parent_id,
                                         uint32_t name_hash);

// Remembers a process read in this sweep. False when the table is full: the caller keeps the
// handle then and closes it.
bool image_cache_add(ImageCache* cache, const ImageCacheEntry& entry);

// Ends a sweep: every process of the previous sweep that this one did not carry is forgotten,
// its handle given to `release`. Returns how many were forgotten.
size_t image_cache_finish(ImageCache* cache, void (*release)(void* handle));

// Forgets everything, releasing every handle (as if no process had been seen).
void image_cache_clear(ImageCache* cache, void (*release)(void* handle));
