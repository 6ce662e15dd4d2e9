#include "edge/admin_commands.h"

#include <cstdio>
#include <ctime>

#include "api/guardian_pin_rules.h"
#include "base/identifier.h"
#include "core/service_context.h"

namespace {

const size_t kMaxPlanLabelBytes = 179; // what the program keeps of it
const size_t kMaxCustomerNameBytes = 159;

int complain(const std::string& text) {
  std::fprintf(stderr, "olvex-service: %s\n", text.c_str());
  return 2;
}

int apply(ServiceStore* store, const CommandLine& command, const Account& account) {
  const std::string& value = command.values[1];
  std::string shown = mask_identifier(account.identifier);
  if (command.command == kCommandSetGuardianPin) {
    if (!store_set_guardian_pin(store, account.id, value))
      return complain("Could not save the PIN.");
    std::printf("Guardian PIN set for %s\n", shown.c_str());
  } else if (command.command == kCommandSetPlan) {
    if (!store_set_plan(store, account.id, value, command.entitled == 1)) {
      return complain("Could not save the plan.");
    }
    std::printf("%s is now on \"%s\" (%s)\n", shown.c_str(), value.c_str(),
                command.entitled == 1 ? "entitled" : "not entitled");
  } else {
    if (!store_set_customer_name(store, account.id, value))
      return complain("Could not save the name.");
    std::printf("%s is now called \"%s\"\n", shown.c_str(), value.c_str());
  }
  return 0;
}

} // namespace

int run_admin_command(const CommandLine& command) {
  std::string identifier;
  if (!normalise_identifier(command.values[0], &identifier)) {
    return complain("\"" + command.values[0] + "\" is not an email address or UK mobile number.");
  }
  const std::string& value = command.values[1];
  if (command.command == kCommandSetGuardianPin && !is_four_digits(value)) {
    return complain("The Guardian PIN must be exactly 4 digits.");
  }
  if (command.command == kCommandSetPlan && (value.empty() || value.size() > kMaxPlanLabelBytes)) {
    return complain("The plan label must be 1 to 179 bytes long.");
  }
  if (command.command == kCommandSetName && value.size() > kMaxCustomerNameBytes) {
    return complain("The name can be at most 159 bytes long.");
  }
  ServiceContext context;
  ContextOptions options;
  options.data_dir = command.data_dir;
  options.database_url = command.database_url;
  options.secret_key_file = command.secret_key_file;
  options.db_connections = 1;
  std::string error;
  // The suffix list is only needed for checking messages.
  if (!service_context_open(&context, options, &error)) return complain(error);
  int code = 0;
  {
    StoreLease lease(context.store);
    Account account;
    if (!lease.get()) {
      code = complain("Could not reach the database.");
    } else if (!store_ensure_account(lease.get(), identifier,
                                     static_cast<int64_t>(std::time(nullptr)), &account)) {
      code = complain("Could not open the account.");
    } else {
      code = apply(lease.get(), command, account);
    }
  }
  service_context_close(&context);
  return code;
}
