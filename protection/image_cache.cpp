#include "protection/image_cache.h"

#include <cstring>

namespace {

size_t slot_of(uint32_t process_id) {
  // Windows process ids are multiples of 4; mixing the bits spreads them over the slots.
  uint32_t h = process_id * 2654435761u;
  return (h >> 16) & (IMAGE_CACHE_CAPACITY - 1);
}

ImageCacheEntry* find(ImageCacheEntry* table, uint32_t process_id) {
  for (size_t i = slot_of(process_id), n = 0; n < IMAGE_CACHE_CAPACITY;
       i = (i + 1) & (IMAGE_CACHE_CAPACITY - 1), n++) {
    if (table[i].process_id == 0) return nullptr;
    if (table[i].process_id == process_id) return &table[i];
  }
  return nullptr;
}

ImageCacheEntry* insert(ImageCache* cache, int table_index, const ImageCacheEntry& entry) {
  if (entry.process_id == 0 || cache->counts[table_index] >= IMAGE_CACHE_MOST) return nullptr;
  ImageCacheEntry* table = cache->tables[table_index];
  for (size_t i = slot_of(entry.process_id);; i = (i + 1) & (IMAGE_CACHE_CAPACITY - 1)) {
    if (table[i].process_id == entry.process_id) return nullptr; // listed twice: keep the first
    if (table[i].process_id != 0) continue;
    table[i] = entry;
    table[i].carried = 0;
    cache->counts[table_index]++;
    return &table[i];
  }
}

void empty_table(ImageCache* cache, int table_index) {
  memset(cache->tables[table_index], 0, sizeof(cache->tables[table_index]));
  cache->counts[table_index] = 0;
}

} // namespace

void image_cache_reset(ImageCache* cache) { memset(cache, 0, sizeof(*cache)); }

uint32_t image_name_hash(const wchar_t* exe_name) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; exe_name != nullptr && exe_name[i] != L'\0'; i++) {
    uint32_t unit = static_cast<uint32_t>(exe_name[i]) & 0xFFFFFFu;
    if (unit >= 'A' && unit <= 'Z') unit += 'a' - 'A';
    h = (h ^ unit) * 16777619u;
  }
  return h;
}

const ImageCacheEntry* image_cache_carry(ImageCache* cache, uint32_t process_id, uint32_t parent_id,
                                         uint32_t name_hash) {
  ImageCacheEntry* old = find(cache->tables[cache->previous], process_id);
  if (old == nullptr || old->carried) return nullptr;
  // An open handle pins the id to its process; without one the id may have been reused.
  if (old->name_hash != name_hash) return nullptr;
  if (old->handle == nullptr && old->parent_id != parent_id) return nullptr;
  ImageCacheEntry* moved = insert(cache, 1 - cache->previous, *old);
  if (moved == nullptr) return nullptr;
  old->carried = 1;
  return moved;
}

bool image_cache_add(ImageCache* cache, const ImageCacheEntry& entry) {
  return insert(cache, 1 - cache->previous, entry) != nullptr;
}

size_t image_cache_finish(ImageCache* cache, void (*release)(void* handle)) {
  size_t forgotten = 0;
  ImageCacheEntry* table = cache->tables[cache->previous];
  for (size_t i = 0; i < IMAGE_CACHE_CAPACITY; i++) {
    if (table[i].process_id == 0 || table[i].carried) continue;
    if (table[i].handle != nullptr && release != nullptr) release(table[i].handle);
    forgotten++;
  }
  empty_table(cache, cache->previous);
  cache->previous = 1 - cache->previous;
  return forgotten;
}

void image_cache_clear(ImageCache* cache, void (*release)(void* handle)) {
  for (int t = 0; t < 2; t++) {
    for (size_t i = 0; i < IMAGE_CACHE_CAPACITY; i++) {
      const ImageCacheEntry& e = cache->tables[t][i];
      // A carried entry's handle lives on in the other table.
      if (e.process_id != 0 && !e.carried && e.handle != nullptr && release != nullptr)
        release(e.handle);
    }
  }
  image_cache_reset(cache);
}
