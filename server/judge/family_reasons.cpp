#include "judge/family_reasons.h"

#include <cstring>

namespace {

struct ReasonVariant {
  const char* family;
  uint32_t needs_groups; // the usual reason holds only when these were all found
  bool needs_phone;      // ... and, when set, a telephone number is in the message
  const char* otherwise;
};

// Group numbers as in families/family_job_mule.cpp (0: a job).
const uint32_t kJobMuleJobGroup = 1u << 0;

const ReasonVariant kVariants[] = {
    // It fires only with a way to reach the sender: without a number, an email address.
    {"invoice_callback", 0, true,
     "It claims you have been charged, or that your computer has a problem, and wants you to "
     "write to the email address in the message: a fake invoice or tech-support scam."},
    {"job_mule", kJobMuleJobGroup, false,
     "It asks you to let money pass through your account, pay a fee first or carry on in a chat "
     "app: the marks of a money-mule or advance-fee scam."},
};

} // namespace

const char* family_reason(const FamilyRule& rule, uint32_t groups, bool has_phone) {
  for (const ReasonVariant& variant : kVariants) {
    if (std::strcmp(variant.family, rule.id) != 0) continue;
    bool holds = (groups & variant.needs_groups) == variant.needs_groups &&
                 (!variant.needs_phone || has_phone);
    return holds ? rule.reason : variant.otherwise;
  }
  return rule.reason;
}
