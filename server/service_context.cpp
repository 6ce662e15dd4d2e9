#include "service_context.h"

#include <filesystem>
#include <system_error>

int service_context_open(ServiceContext* context, const std::string& data_dir,
                         const std::string& suffix_file, std::string* error) {
  std::error_code failure;
  std::filesystem::create_directories(data_dir, failure);
  if (failure) {
    *error = "Cannot create the data folder " + data_dir + ": " + failure.message();
    return 0;
  }
  context->data_dir = data_dir;
  if (!suffix_file.empty() && !psl_load_file(&context->suffixes, suffix_file.c_str())) {
    *error = "Cannot read the public suffix list " + suffix_file;
    return 0;
  }
  if (!store_open(&context->store, data_file(*context, "service.db"))) {
    *error = "Cannot open " + data_file(*context, "service.db");
    return 0;
  }
  return 1;
}

void service_context_close(ServiceContext* context) { store_close(&context->store); }

std::string data_file(const ServiceContext& context, const char* name) {
  return context.data_dir + "/" + name;
}
