#include "judge/brand_domains.h"

// The brands scam messages most often pretend to be in the UK, with the
// domains each really uses.
namespace {

// Lists end with a null pointer.
const char* const kNone[] = {nullptr};

const char* const kRoyalMailOfficial[] = {"royalmail.com", "royalmail.co.uk", "royalmailgroup.com",
                                          nullptr};
const char* const kRoyalMailParts[] = {"royalmail", nullptr};
const char* const kRoyalMailMentions[] = {"royal mail", nullptr};

const char* const kEvriOfficial[] = {"evri.com", "myhermes.co.uk", nullptr};
const char* const kEvriParts[] = {"evri", "myhermes", nullptr};
const char* const kEvriShort[] = {"hermes", nullptr};
const char* const kEvriMentions[] = {"evri", "hermes", nullptr};

const char* const kDpdOfficial[] = {"dpd.co.uk", "dpd.com", "dpdlocal.co.uk", nullptr};
const char* const kDpdParts[] = {"dpdlocal", nullptr};
const char* const kDpdShort[] = {"dpd", nullptr};
const char* const kDpdMentions[] = {"dpd", nullptr};

const char* const kParcelforceOfficial[] = {"parcelforce.com", nullptr};
const char* const kParcelforceParts[] = {"parcelforce", nullptr};
const char* const kParcelforceMentions[] = {"parcelforce", nullptr};

const char* const kYodelOfficial[] = {"yodel.co.uk", nullptr};
const char* const kYodelParts[] = {"yodel", nullptr};
const char* const kYodelMentions[] = {"yodel", nullptr};

const char* const kDhlOfficial[] = {"dhl.com", "dhl.co.uk", "dhlparcel.co.uk", nullptr};
const char* const kDhlShort[] = {"dhl", nullptr};
const char* const kDhlMentions[] = {"dhl", nullptr};

const char* const kUpsOfficial[] = {"ups.com", nullptr};
const char* const kUpsShort[] = {"ups", nullptr};

const char* const kFedexOfficial[] = {"fedex.com", nullptr};
const char* const kFedexParts[] = {"fedex", nullptr};
const char* const kFedexMentions[] = {"fedex", nullptr};

const char* const kAmazonOfficial[] = {"amazon.co.uk",  "amazon.com",       "amazon.de",
                                       "amazon.fr",     "amzn.to",          "amzn.eu",
                                       "amazonaws.com", "media-amazon.com", nullptr};
const char* const kAmazonParts[] = {"amazon", nullptr};
const char* const kAmazonShort[] = {"amzn", nullptr};
const char* const kAmazonMentions[] = {"amazon", nullptr};

const char* const kGovOfficial[] = {"gov.uk", "gov.scot", "gov.wales", nullptr};
const char* const kHmrcParts[] = {"hmrc", "hmrevenue", nullptr};
const char* const kHmrcMentions[] = {"hmrc", "hm revenue", nullptr};
const char* const kGovParts[] = {"govuk", nullptr};
const char* const kGovShort[] = {"gov", nullptr};
const char* const kDvlaParts[] = {"dvla", nullptr};
const char* const kDvlaMentions[] = {"dvla", nullptr};

const char* const kNhsOfficial[] = {"nhs.uk", "nhs.net", nullptr};
const char* const kNhsShort[] = {"nhs", nullptr};
const char* const kNhsMentions[] = {"nhs", nullptr};

const char* const kTvOfficial[] = {"tvlicensing.co.uk", nullptr};
const char* const kTvParts[] = {"tvlicen", nullptr};
const char* const kTvMentions[] = {"tv licensing", "tv licence", "tv license", nullptr};

const char* const kHsbcOfficial[] = {"hsbc.co.uk", "hsbc.com", "hsbc.uk", nullptr};
const char* const kHsbcParts[] = {"hsbc", nullptr};
const char* const kHsbcMentions[] = {"hsbc", nullptr};

const char* const kBarclaysOfficial[] = {"barclays.co.uk", "barclays.com", "barclaycard.co.uk",
                                         nullptr};
const char* const kBarclaysParts[] = {"barclays", "barclaycard", nullptr};
const char* const kBarclaysMentions[] = {"barclays", "barclaycard", nullptr};

const char* const kLloydsOfficial[] = {"lloydsbank.com", "lloydsbank.co.uk", nullptr};
const char* const kLloydsParts[] = {"lloydsbank", nullptr};
const char* const kLloydsShort[] = {"lloyds", nullptr};
const char* const kLloydsMentions[] = {"lloyds bank", "lloyds", nullptr};

const char* const kNatwestOfficial[] = {"natwest.com", nullptr};
const char* const kNatwestParts[] = {"natwest", nullptr};
const char* const kNatwestMentions[] = {"natwest", nullptr};

const char* const kSantanderOfficial[] = {"santander.co.uk", "santander.com", nullptr};
const char* const kSantanderParts[] = {"santander", nullptr};
const char* const kSantanderMentions[] = {"santander", nullptr};

const char* const kHalifaxOfficial[] = {"halifax.co.uk", nullptr};
const char* const kHalifaxParts[] = {"halifax", nullptr};
const char* const kHalifaxMentions[] = {"halifax", nullptr};

const char* const kNationwideOfficial[] = {"nationwide.co.uk", nullptr};
const char* const kNationwideParts[] = {"nationwide", nullptr};
const char* const kNationwideMentions[] = {"nationwide building society", "nationwide:", nullptr};

const char* const kMonzoOfficial[] = {"monzo.com", "monzo.me", nullptr};
const char* const kMonzoParts[] = {"monzo", nullptr};
const char* const kMonzoMentions[] = {"monzo", nullptr};

const char* const kStarlingOfficial[] = {"starlingbank.com", nullptr};
const char* const kStarlingParts[] = {"starlingbank", nullptr};
const char* const kStarlingMentions[] = {"starling bank", nullptr};

const char* const kTsbOfficial[] = {"tsb.co.uk", nullptr};
const char* const kTsbShort[] = {"tsb", nullptr};
const char* const kTsbMentions[] = {"tsb", nullptr};

const char* const kRevolutOfficial[] = {"revolut.com", nullptr};
const char* const kRevolutParts[] = {"revolut", nullptr};
const char* const kRevolutMentions[] = {"revolut", nullptr};

const char* const kPaypalOfficial[] = {"paypal.com", "paypal.co.uk", "paypal.me", nullptr};
const char* const kPaypalParts[] = {"paypal", nullptr};
const char* const kPaypalMentions[] = {"paypal", nullptr};

const char* const kAppleOfficial[] = {"apple.com", "icloud.com", nullptr};
const char* const kAppleParts[] = {"appleid", "icloud", nullptr};
const char* const kAppleShort[] = {"apple", nullptr};
const char* const kAppleMentions[] = {"apple id", "icloud", nullptr};

const char* const kMicrosoftOfficial[] = {
    "microsoft.com", "live.com", "outlook.com", "office.com", "microsoftonline.com", nullptr};
const char* const kMicrosoftParts[] = {"microsoft", nullptr};
const char* const kMicrosoftMentions[] = {"microsoft", nullptr};

const char* const kNetflixOfficial[] = {"netflix.com", nullptr};
const char* const kNetflixParts[] = {"netflix", nullptr};
const char* const kNetflixMentions[] = {"netflix", nullptr};

const char* const kEeOfficial[] = {"ee.co.uk", nullptr};
const char* const kEeShort[] = {"ee", nullptr};

const char* const kO2Official[] = {"o2.co.uk", nullptr};
const char* const kO2Short[] = {"o2", nullptr};

const char* const kVodafoneOfficial[] = {"vodafone.co.uk", "vodafone.com", nullptr};
const char* const kVodafoneParts[] = {"vodafone", nullptr};
const char* const kVodafoneMentions[] = {"vodafone", nullptr};

const char* const kBtOfficial[] = {"bt.com", nullptr};
const char* const kBtShort[] = {"bt", nullptr};

const char* const kBritishGasOfficial[] = {"britishgas.co.uk", nullptr};
const char* const kBritishGasParts[] = {"britishgas", nullptr};
const char* const kBritishGasMentions[] = {"british gas", nullptr};

const char* const kOctopusOfficial[] = {"octopus.energy", nullptr};
const char* const kOctopusParts[] = {"octopusenergy", nullptr};
const char* const kOctopusMentions[] = {"octopus energy", nullptr};

const char* const kEdfOfficial[] = {"edfenergy.com", nullptr};
const char* const kEdfParts[] = {"edfenergy", nullptr};
const char* const kEdfShort[] = {"edf", nullptr};
const char* const kEdfMentions[] = {"edf", nullptr};

const char* const kOfgemOfficial[] = {"ofgem.gov.uk", nullptr};
const char* const kOfgemParts[] = {"ofgem", nullptr};
const char* const kOfgemMentions[] = {"ofgem", nullptr};

const char* const kPostOfficeOfficial[] = {"postoffice.co.uk", nullptr};
const char* const kPostOfficeParts[] = {"postoffice", nullptr};
const char* const kPostOfficeMentions[] = {"post office", nullptr};

const char* const kVirginOfficial[] = {"virginmedia.com", nullptr};
const char* const kVirginParts[] = {"virginmedia", nullptr};
const char* const kVirginMentions[] = {"virgin media", nullptr};

const Brand kBrands[] = {
    {"Royal Mail", kRoyalMailOfficial, kRoyalMailParts, kNone, kRoyalMailMentions},
    {"Evri", kEvriOfficial, kEvriParts, kEvriShort, kEvriMentions},
    {"DPD", kDpdOfficial, kDpdParts, kDpdShort, kDpdMentions},
    {"Parcelforce", kParcelforceOfficial, kParcelforceParts, kNone, kParcelforceMentions},
    {"Yodel", kYodelOfficial, kYodelParts, kNone, kYodelMentions},
    {"DHL", kDhlOfficial, kNone, kDhlShort, kDhlMentions},
    {"UPS", kUpsOfficial, kNone, kUpsShort, kNone},
    {"FedEx", kFedexOfficial, kFedexParts, kNone, kFedexMentions},
    {"Amazon", kAmazonOfficial, kAmazonParts, kAmazonShort, kAmazonMentions},
    {"HMRC", kGovOfficial, kHmrcParts, kNone, kHmrcMentions},
    {"GOV.UK", kGovOfficial, kGovParts, kGovShort, kNone},
    {"the DVLA", kGovOfficial, kDvlaParts, kNone, kDvlaMentions},
    {"the NHS", kNhsOfficial, kNone, kNhsShort, kNhsMentions},
    {"TV Licensing", kTvOfficial, kTvParts, kNone, kTvMentions},
    {"HSBC", kHsbcOfficial, kHsbcParts, kNone, kHsbcMentions},
    {"Barclays", kBarclaysOfficial, kBarclaysParts, kNone, kBarclaysMentions},
    {"Lloyds Bank", kLloydsOfficial, kLloydsParts, kLloydsShort, kLloydsMentions},
    {"NatWest", kNatwestOfficial, kNatwestParts, kNone, kNatwestMentions},
    {"Santander", kSantanderOfficial, kSantanderParts, kNone, kSantanderMentions},
    {"Halifax", kHalifaxOfficial, kHalifaxParts, kNone, kHalifaxMentions},
    {"Nationwide", kNationwideOfficial, kNationwideParts, kNone, kNationwideMentions},
    {"Monzo", kMonzoOfficial, kMonzoParts, kNone, kMonzoMentions},
    {"Starling Bank", kStarlingOfficial, kStarlingParts, kNone, kStarlingMentions},
    {"TSB", kTsbOfficial, kNone, kTsbShort, kTsbMentions},
    {"Revolut", kRevolutOfficial, kRevolutParts, kNone, kRevolutMentions},
    {"PayPal", kPaypalOfficial, kPaypalParts, kNone, kPaypalMentions},
    {"Apple", kAppleOfficial, kAppleParts, kAppleShort, kAppleMentions},
    {"Microsoft", kMicrosoftOfficial, kMicrosoftParts, kNone, kMicrosoftMentions},
    {"Netflix", kNetflixOfficial, kNetflixParts, kNone, kNetflixMentions},
    {"EE", kEeOfficial, kNone, kEeShort, kNone},
    {"O2", kO2Official, kNone, kO2Short, kNone},
    {"Vodafone", kVodafoneOfficial, kVodafoneParts, kNone, kVodafoneMentions},
    {"BT", kBtOfficial, kNone, kBtShort, kNone},
    {"British Gas", kBritishGasOfficial, kBritishGasParts, kNone, kBritishGasMentions},
    {"Octopus Energy", kOctopusOfficial, kOctopusParts, kNone, kOctopusMentions},
    {"EDF", kEdfOfficial, kEdfParts, kEdfShort, kEdfMentions},
    {"Ofgem", kOfgemOfficial, kOfgemParts, kNone, kOfgemMentions},
    {"the Post Office", kPostOfficeOfficial, kPostOfficeParts, kNone, kPostOfficeMentions},
    {"Virgin Media", kVirginOfficial, kVirginParts, kNone, kVirginMentions},
};

} // namespace

const Brand* brand_table(size_t* count) {
  *count = sizeof(kBrands) / sizeof(kBrands[0]);
  return kBrands;
}
