#include "core/service_context.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

namespace {

// The folder holds the database, the live codes of the outbox and the request log: a new one is
// made 0700, and one that others may enter or read is refused, as the key file is.
bool data_folder_is_private(const std::string& folder, bool made, std::string* error) {
  if (made && chmod(folder.c_str(), 0700) != 0) {
    *error = "Cannot make the data folder " + folder + " private (mode 0700).";
    return false;
  }
  struct stat info;
  if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    *error = "The data folder " + folder + " is not a folder.";
    return false;
  }
  if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    *error = "The data folder " + folder +
             " may be read by other users; make it mode 0700 (chmod 700 " + folder + ").";
    return false;
  }
  return true;
}

} // namespace

int service_context_open(ServiceContext* context, const ContextOptions& options,
                         std::string* error) {
  std::error_code failure;
  bool made = std::filesystem::create_directories(options.data_dir, failure);
  if (failure) {
    *error = "Cannot create the data folder " + options.data_dir + ": " + failure.message();
    return 0;
  }
  if (!data_folder_is_private(options.data_dir, made, error)) return 0;
  context->data_dir = options.data_dir;
  if (!options.suffix_file.empty() &&
      !psl_load_file(&context->suffixes, options.suffix_file.c_str())) {
    *error = "Cannot read the public suffix list " + options.suffix_file;
    return 0;
  }
  StoreOptions store;
  store.database_url = options.database_url;
  store.sqlite_file = data_file(*context, "service.db");
  store.connections = options.db_connections;
  std::string key_file =
      options.secret_key_file.empty() ? data_file(*context, "secret.key") : options.secret_key_file;
  if (!load_or_make_secret_key(key_file, &store.key, error)) return 0;
  context->store = store_pool_open(store, error);
  return context->store ? 1 : 0;
}

void service_context_close(ServiceContext* context) {
  // After the requests in flight: the verdicts they left waiting are written now.
  if (context->store) {
    StoreLease lease(context->store);
    check_tally_flush(&context->checks, lease.get());
  }
  store_pool_free(context->store);
  context->store = nullptr;
}

SilenceLimits silence_limits(const ServiceContext& context) {
  SilenceLimits limits;
  limits.after = context.silent_after.load();
  limits.after_threat = context.silent_after_threat.load();
  return limits;
}

void set_silence_limits(ServiceContext* context, const SilenceLimits& limits) {
  context->silent_after = limits.after;
  context->silent_after_threat = limits.after_threat;
}

std::string data_file(const ServiceContext& context, const char* name) {
  return context.data_dir + "/" + name;
}
