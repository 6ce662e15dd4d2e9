#include "engine_test_support.h"

const PublicSuffixList& test_suffix_list() {
  static PublicSuffixList list;
  static int loaded = psl_load_file(&list, PUBLIC_SUFFIX_DEFAULT_FILE);
  (void)loaded;
  return list;
}
