#include "alerts/sms_text.h"

#include <cstring>

#include "base/utf8_repair.h"
#include "store/service_store.h"
#include "store/store_protection.h"

namespace {

// The GSM 7-bit default alphabet beside ASCII's letters and digits, as UTF-8.
const char* const kGsmBasic[] = {
    "@", "£", "$", "¥", "è", "é", "ù", "ì", "ò", "Ç", "\n", "Ø", "ø", "\r", "Å", "å", "Δ",
    "_", "Φ", "Γ", "Λ", "Ω", "Π", "Ψ", "Σ", "Θ", "Ξ", "Æ",  "æ", "ß", "É",  " ", "!", "\"",
    "#", "¤", "%", "&", "'", "(", ")", "*", "+", ",", "-",  ".", "/", ":",  ";", "<", "=",
    ">", "?", "¡", "Ä", "Ö", "Ñ", "Ü", "§", "¿", "ä", "ö",  "ñ", "ü", "à"};
// The extension table: each takes an escape and itself.
const char* const kGsmExtension[] = {"^", "{", "}", "\\", "[", "~", "]", "|", "€"};

struct Fold {
  const char* from;
  const char* to;
};
const Fold kFolds[] = {
    {"á", "a"}, {"â", "a"},   {"ã", "a"}, {"ç", "c"},  {"ê", "e"},      {"ë", "e"},  {"í", "i"},
    {"î", "i"}, {"ï", "i"},   {"ó", "o"}, {"ô", "o"},  {"õ", "o"},      {"ú", "u"},  {"û", "u"},
    {"ý", "y"}, {"ÿ", "y"},   {"Á", "A"}, {"À", "A"},  {"Â", "A"},      {"Ã", "A"},  {"È", "E"},
    {"Ê", "E"}, {"Ë", "E"},   {"Í", "I"}, {"Ì", "I"},  {"Î", "I"},      {"Ï", "I"},  {"Ó", "O"},
    {"Ò", "O"}, {"Ô", "O"},   {"Õ", "O"}, {"Ú", "U"},  {"Ù", "U"},      {"Û", "U"},  {"Ý", "Y"},
    {"‘", "'"}, {"’", "'"},   {"‚", "'"}, {"“", "\""}, {"”", "\""},     {"„", "\""}, {"–", "-"},
    {"—", "-"}, {"…", "..."}, {"`", "'"}, {"\t", " "}, {"\u00a0", " "},
};

bool in_list(const std::string& character, const char* const* list, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (character == list[i]) return true;
  }
  return false;
}

bool is_ascii_alnum(const std::string& character) {
  if (character.size() != 1) return false;
  char c = character[0];
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

size_t character_length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  return 4;
}

const size_t kBasicCount = sizeof(kGsmBasic) / sizeof(kGsmBasic[0]);
const size_t kExtensionCount = sizeof(kGsmExtension) / sizeof(kGsmExtension[0]);

std::string fold_character(const std::string& character) {
  if (is_ascii_alnum(character) || in_list(character, kGsmBasic, kBasicCount) ||
      in_list(character, kGsmExtension, kExtensionCount))
    return character;
  for (const Fold& fold : kFolds) {
    if (character == fold.from) return fold.to;
  }
  return "?";
}

// At most `width` characters, cut after a whole word where one ends in the second half.
std::string shortened(const std::string& name, size_t width) {
  const std::string whole = one_line(name);
  std::string cut = one_line(name, width);
  if (cut.size() == whole.size()) return cut;
  size_t blank = cut.rfind(' ');
  if (blank != std::string::npos && blank > cut.size() / 2) cut.resize(blank);
  return cut;
}

} // namespace

std::string gsm7_fold(const std::string& utf8) {
  const std::string text = repair_utf8(utf8);
  std::string out;
  for (size_t i = 0; i < text.size();) {
    size_t n = character_length(static_cast<unsigned char>(text[i]));
    if (i + n > text.size()) n = text.size() - i;
    out += fold_character(text.substr(i, n));
    i += n;
  }
  return out;
}

size_t gsm7_length(const std::string& folded) {
  size_t septets = 0;
  for (size_t i = 0; i < folded.size();) {
    size_t n = character_length(static_cast<unsigned char>(folded[i]));
    if (i + n > folded.size()) n = folded.size() - i;
    septets += in_list(folded.substr(i, n), kGsmExtension, kExtensionCount) ? 2 : 1;
    i += n;
  }
  return septets;
}

std::string code_text(const std::string& code, const std::string& purpose, int64_t lifetime,
                      const std::string& about) {
  const std::string tail = " It expires in " + std::to_string(lifetime / 60) +
                           " minutes. Olvex will never phone you to ask for it.";
  if (purpose == kCodeForUnlink) {
    std::string computer = gsm7_fold(one_line(about, 40));
    if (computer.empty()) computer = "a computer";
    return code + " is your Olvex code to unlink " + computer +
           " from your family account, which lifts its Guardian lock." + tail;
  }
  if (purpose == kCodeForPinChange)
    return code + " is your Olvex code to change the Guardian PIN." + tail;
  if (purpose == kCodeForContact)
    return code + " is the code that adds this number to an Olvex family's alerts." + tail;
  return code + " is your Olvex sign-in code." + tail;
}

std::string sms_alert_text(const AlertFacts& facts) {
  static const size_t kWidths[] = {60, 48, 40, 34, 28, 24, 20, 16, 12, 8, 6};
  std::string text;
  for (size_t width : kWidths) {
    AlertFacts cut = facts;
    cut.device_label = shortened(facts.device_label, width);
    cut.person_name = shortened(facts.person_name, width);
    cut.tool_name = one_line(facts.tool_name, width < 14 ? 14 : width); // "ScreenConnect."
    text = gsm7_fold(alert_text(cut));
    if (gsm7_length(text) <= kOneTextSeptets) break;
  }
  return text;
}
