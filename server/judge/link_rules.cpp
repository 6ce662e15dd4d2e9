#include "judge/link_rules.h"

#include <cstring>
#include <unordered_set>

#include "judge/brand_domains.h"

namespace {

const char* const kShorteners[] = {
    "bit.ly",  "tinyurl.com", "t.co",    "goo.gl", "ow.ly", "is.gd",     "buff.ly",  "rebrand.ly",
    "cutt.ly", "shorturl.at", "tiny.cc", "rb.gy",  "t.ly",  "s.id",      "bl.ink",   "shorte.st",
    "adf.ly",  "bit.do",      "qrco.de", "v.gd",   "tr.im", "shrtco.de", "tiny.one", nullptr};

// Top labels that cost next to nothing and carry most phishing sites.
const char* const kRiskyTopLabels[] = {
    "xyz",  "top",   "club",    "online", "site",  "icu",     "buzz", "live", "shop", "vip",
    "work", "click", "link",    "loan",   "win",   "bid",     "cfd",  "sbs",  "rest", "monster",
    "cyou", "quest", "support", "help",   "fun",   "space",   "tk",   "ml",   "ga",   "cf",
    "gq",   "zip",   "mov",     "info",   "store", "website", "cc",   "su",   "pw",   nullptr};

bool in_list(const char* const* list, const std::string& value) {
  for (const char* const* p = list; *p; ++p) {
    if (value == *p) return true;
  }
  return false;
}

bool has_hit(const std::vector<RuleHit>& hits, const char* id) {
  for (const RuleHit& hit : hits) {
    if (hit.id == id) return true;
  }
  return false;
}

void add_hit(std::vector<RuleHit>* hits, const char* id, int weight, const std::string& reason,
             const std::string& advice) {
  if (has_hit(*hits, id)) return;
  hits->push_back(RuleHit{id, weight, reason, advice});
}

std::string last_label(const std::string& host) {
  size_t dot = host.rfind('.');
  return dot == std::string::npos ? host : host.substr(dot + 1);
}

// Addresses can be made very long; the program keeps about 320 bytes of a
// reason, so a long name is cut (never inside a character) and marked.
std::string shortened(const std::string& name) {
  const size_t kLongest = 80;
  if (name.size() <= kLongest) return name;
  size_t cut = kLongest - 3;
  while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
    --cut;
  return name.substr(0, cut) + "...";
}

std::string shown_domain(const PublicSuffixList& psl, const std::string& host) {
  std::string registered = psl_registered_domain(psl, host);
  return shortened(registered.empty() ? host : registered);
}

std::string owner_part(const PublicSuffixList& psl, const std::string& host) {
  std::string suffix = psl_public_suffix(psl, host);
  if (suffix.size() + 1 >= host.size()) return std::string();
  return host.substr(0, host.size() - suffix.size() - 1);
}

void judge_link_itself(const MessageLink& link, const PublicSuffixList& psl,
                       std::vector<RuleHit>* hits) {
  const std::string& host = link.host;
  if (link.has_userinfo) {
    add_hit(hits, "hidden_host", 30,
            "A link hides its real address behind an @ sign: it actually goes to " +
                shortened(host) + ".",
            "Do not open it. The part before the @ is only there to look familiar.");
  }
  if (host_is_ip_literal(host)) {
    add_hit(hits, "ip_link", 35,
            "A link goes to a bare number address (" + shortened(host) +
                ") instead of a named website.",
            "Genuine companies link to their own named website, never to a number.");
    return;
  }
  std::string domain = shown_domain(psl, host);
  if (host_is_internationalised(host)) {
    add_hit(hits, "lookalike_letters", 35,
            "A link uses foreign look-alike letters (" + domain +
                ") to imitate a familiar website.",
            "Do not open it. Type the company's address yourself instead.");
  }
  if (in_list(kShorteners, domain)) {
    add_hit(hits, "shortened_link", 20,
            "A link is shortened (" + domain + "), which hides where it really goes.",
            "Do not open shortened links in unexpected messages.");
  }
  std::string top = last_label(host);
  if (in_list(kRiskyTopLabels, top) && !host_is_official_for_any_brand(host)) {
    add_hit(hits, "risky_domain_ending", 20,
            "A link goes to " + domain + ": addresses ending in ." + top +
                " are cheap and popular with scammers.",
            "Be very wary of links to addresses you do not recognise.");
  }
  const Brand* brand = nullptr;
  BrandImitation imitation = host_imitates_brand(host, owner_part(psl, host), &brand);
  if (imitation == kUsesBrandName) {
    add_hit(hits, "brand_lookalike_domain", 45,
            "A link goes to " + domain + ", which uses the name " + brand->name + " but is not " +
                brand->name + "'s website.",
            std::string("Do not open it. Go to ") + brand->name +
                "'s own website or app by typing the address yourself.");
  } else if (imitation == kMisspellsBrandName) {
    add_hit(hits, "brand_misspelt_domain", 45,
            "A link goes to " + domain + ", a misspelling of " + brand->name +
                " made to look genuine.",
            std::string("Do not open it. Go to ") + brand->name +
                "'s own website or app by typing the address yourself.");
  }
}

// A message that speaks as a brand but links somewhere that brand does not own.
void judge_claimed_brand(const std::vector<MessageLink>& links, const std::vector<bool>& named,
                         const PublicSuffixList& psl, std::vector<RuleHit>* hits) {
  size_t count = 0;
  const Brand* table = brand_table(&count);
  for (size_t i = 0; i < count && i < named.size(); ++i) {
    const Brand& brand = table[i];
    if (!named[i]) continue;
    for (const MessageLink& link : links) {
      if (host_is_official_for_any_brand(link.host)) continue;
      add_hit(hits, "claimed_brand_other_link", 20,
              std::string("It says it is from ") + brand.name + ", but its link goes to " +
                  shown_domain(psl, link.host) + ", which is not " + brand.name + "'s website.",
              std::string("Contact ") + brand.name +
                  " through its own app or website, not the link.");
      return;
    }
  }
}

} // namespace

void collect_link_hits(const std::vector<MessageLink>& links,
                       const std::vector<bool>& brands_claimed, const PublicSuffixList& psl,
                       std::vector<RuleHit>* hits) {
  // Each host is judged once, however often a message repeats it.
  std::unordered_set<std::string> judged;
  for (const MessageLink& link : links) {
    if (judged.insert(link.host).second) judge_link_itself(link, psl, hits);
  }
  judge_claimed_brand(links, brands_claimed, psl, hits);
}

void collect_listed_links(const std::string& message, const std::vector<MessageLink>& links,
                          const ThreatLookup& threats, std::vector<RuleHit>* hits) {
  for (const MessageLink& link : links) {
    std::string url = message.substr(link.start, link.length);
    if (!link.has_scheme) url.insert(0, "http://");
    std::string address;
    std::string host;
    ThreatListing listing;
    if (!threat_address(url, &address, &host) || !threats.find(address, host, &listing)) continue;
    hits->push_back(RuleHit{"listed_link", kListedLinkWeight,
                            "This link is on " + listing.list_name +
                                "'s public list of scam websites (updated " + listing.updated +
                                ").",
                            "Do not open the link or type anything into the page it opens: it "
                            "is known to steal details or money, or to install harmful "
                            "software."});
    return;
  }
}

bool has_unknown_link(const std::vector<MessageLink>& links) {
  for (const MessageLink& link : links) {
    if (!host_is_official_for_any_brand(link.host)) return true;
  }
  return false;
}
