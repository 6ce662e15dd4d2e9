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
  return family_weight_in_voice(rule, groups_found, groups_found, 0);
}

int family_weight_in_voice(const FamilyRule& rule, uint32_t groups_found, uint32_t addressed,
                           uint32_t first_person) {
  if ((groups_found & rule.required_all) != rule.required_all) return 0;
  if (rule.required_any && !(groups_found & rule.required_any)) return 0;
  if (rule.also_any && !(groups_found & rule.also_any)) return 0;
  if (bits_set(groups_found) < rule.min_groups) return 0;
  if (!(groups_found & addressed)) return 0;
  int quarters = 0;
  for (size_t i = 0; i < rule.group_count; ++i) {
    const uint32_t bit = 1u << i;
    if (!(groups_found & bit)) continue;
    int share = (addressed & bit) ? 4 : (first_person & bit) ? 1 : 0;
    quarters += rule.groups[i].weight * share;
  }
  int weight = quarters / 4;
  return weight < rule.cap ? weight : rule.cap;
}
