#include "judge/family_rules.h"

extern const FamilyRule kAdvanceFeeFamily;
extern const FamilyRule kLotteryFamily;
extern const FamilyRule kGetRichFamily;
extern const FamilyRule kInvoiceCallbackFamily;
extern const FamilyRule kRomanceFamily;
extern const FamilyRule kSextortionFamily;
extern const FamilyRule kInvestmentFamily;
extern const FamilyRule kRecoveryFamily;
extern const FamilyRule kJobMuleFamily;
extern const FamilyRule kArrestThreatFamily;
extern const FamilyRule kCourierFamily;
extern const FamilyRule kRentalFamily;
extern const FamilyRule kPensionFamily;

namespace {

const FamilyRule* const kFamilies[] = {
    &kAdvanceFeeFamily, &kLotteryFamily,      &kGetRichFamily,    &kInvoiceCallbackFamily,
    &kRomanceFamily,    &kSextortionFamily,   &kInvestmentFamily, &kRecoveryFamily,
    &kJobMuleFamily,    &kArrestThreatFamily, &kCourierFamily,    &kRentalFamily,
    &kPensionFamily,
};

int bits_set(uint32_t value) {
  int count = 0;
  for (; value; value &= value - 1)
    ++count;
  return count;
}

} // namespace

const FamilyRule* const* family_rule_table(size_t* count) {
  *count = sizeof(kFamilies) / sizeof(kFamilies[0]);
  return kFamilies;
}

int family_weight(const FamilyRule& rule, uint32_t groups_found) {
  if ((groups_found & rule.required_all) != rule.required_all) return 0;
  if (rule.required_any && !(groups_found & rule.required_any)) return 0;
  if (bits_set(groups_found) < rule.min_groups) return 0;
  int weight = 0;
  for (size_t i = 0; i < rule.group_count; ++i) {
    if (groups_found & (1u << i)) weight += rule.groups[i].weight;
  }
  return weight < rule.cap ? weight : rule.cap;
}
