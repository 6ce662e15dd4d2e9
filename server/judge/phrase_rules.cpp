#include "judge/phrase_rules.h"

namespace {

// Phrases are lower case and match on word boundaries (text_scan.h).
const char* const kSafeAccount[] = {
    "safe account",      "secure account",        "holding account",
    "safety account",    "protected account",     "move your money to",
    "move your savings", "transfer your savings", nullptr};

const char* const kRemoteAccess[] = {"anydesk",
                                     "any desk",
                                     "teamviewer",
                                     "team viewer",
                                     "quick assist",
                                     "quickassist",
                                     "ultraviewer",
                                     "rustdesk",
                                     "logmein",
                                     "screenconnect",
                                     "supremo",
                                     "remote access",
                                     "remote desktop",
                                     "access your computer",
                                     "access to your computer",
                                     "control of your computer",
                                     "share your screen",
                                     nullptr};

// Phrased as requests: "your PIN will follow separately" is genuine.
const char* const kPin[] = {"confirm your pin",
                            "enter your pin",
                            "provide your pin",
                            "give your pin",
                            "give us your pin",
                            "tell us your pin",
                            "send your pin",
                            "send us your pin",
                            "reply with your pin",
                            "type your pin",
                            "verify your pin",
                            "pin number",
                            "card pin",
                            "4 digit pin",
                            "4-digit pin",
                            "four digit pin",
                            nullptr};

const char* const kOneTimeCode[] = {"send me the code",
                                    "send us the code",
                                    "send the code",
                                    "send me that code",
                                    "share the code",
                                    "share this code",
                                    "give me the code",
                                    "give us the code",
                                    "tell me the code",
                                    "tell us the code",
                                    "read out the code",
                                    "read me the code",
                                    "read the code",
                                    "forward the code",
                                    "forward me the code",
                                    "reply with the code",
                                    "reply with your code",
                                    "text me the code",
                                    "text back the code",
                                    "code by mistake",
                                    "code to your phone by mistake",
                                    "send it back to me",
                                    nullptr};

const char* const kCardDetails[] = {"card details",
                                    "card number",
                                    "long number on your card",
                                    "expiry date",
                                    "cvv",
                                    "cvc",
                                    "3 digit code",
                                    "three digit code",
                                    "security code on the back",
                                    "payment details",
                                    "billing details",
                                    "bank details",
                                    "update your payment",
                                    "payment information",
                                    "billing information",
                                    nullptr};

const char* const kPersonalDetails[] = {"date of birth",
                                        "mother's maiden name",
                                        "maiden name",
                                        "national insurance number",
                                        "passport number",
                                        "online banking password",
                                        "banking password",
                                        "login details",
                                        "log in details",
                                        "username and password",
                                        "memorable word",
                                        "memorable information",
                                        "security questions",
                                        "full password",
                                        nullptr};

// Asking for details, not telling of them: "your card number and expiry date will change"
// asks for nothing.
const char* const kDetailAsks[] = {
    "confirm", "enter",        "provide", "verify",    "update your", "give us",
    "send",    "share",        "reply",   "type",      "fill in",     "re-enter",
    "submit",  "tell us your", "input",   "validate",  "required",    "give your",
    "click",   "tap",          "we need", "need your", "we require",  nullptr};

const char* const kMoneyTransfer[] = {
    "transfer the money", "transfer the funds", "transfer money", "transfer £", "bank transfer",
    "send money", "send the money", "move money", "move the money", "move your money",
    "move your funds", "sort code",
    // Asking to add one: "you've added a new payee" tells.
    "add a new payee", "as a new payee", "add a payee", "withdraw cash", "withdraw the cash",
    "courier will collect", "courier to collect", nullptr};

const char* const kGiftCardsCrypto[] = {"gift card",      "gift cards",       "itunes card",
                                        "itunes voucher", "google play card", "google play cards",
                                        "itunes cards",   "steam cards",      "steam card",
                                        "bitcoin",        "crypto",           "cryptocurrency",
                                        "usdt",           "western union",    "moneygram",
                                        nullptr};

// Paying in these, not naming them: "Bitcoin has gone up" asks for nothing.
const char* const kPaymentAsk[] = {"pay", "paid",     "payable in", "payment in", "codes",
                                   "buy", "purchase", "transfer",   "send",       "wallet",
                                   "fee", "deposit",  nullptr};

const char* const kSecrecy[] = {"don't tell",
                                "do not tell",
                                "dont tell",
                                "keep this between us",
                                "keep this confidential",
                                "keep it confidential",
                                "keep this secret",
                                "don't mention",
                                "do not mention",
                                "if the bank asks",
                                "if the cashier asks",
                                "if anyone asks",
                                "do not discuss",
                                nullptr};

const char* const kParcelFee[] = {"redelivery fee",
                                  "re-delivery fee",
                                  "delivery fee",
                                  "delivery charge",
                                  "customs fee",
                                  "customs charge",
                                  "customs duty",
                                  "import duty",
                                  "import fee",
                                  "shipping fee",
                                  "postage fee",
                                  "unpaid postage",
                                  "outstanding postage",
                                  "handling fee",
                                  "small fee",
                                  "fee of £",
                                  "pay the fee",
                                  "pay a fee",
                                  "settle the fee",
                                  "pay £0",
                                  "pay £1",
                                  "pay £2",
                                  "pay £3",
                                  "fee is required",
                                  "fee is due",
                                  "fee is outstanding",
                                  "fee to pay",
                                  "fee must be paid",
                                  nullptr};
const char* const kParcelWords[] = {"parcel",    "package",    "delivery", "deliver",
                                    "redeliver", "redelivery", "courier",  "shipment",
                                    "postage",   "customs",    "item",     nullptr};

// What the story is about: "confirm your address" alone may be for a prize.
const char* const kParcelsThemselves[] = {"parcel",  "package",   "delivery",
                                          "deliver", "redeliver", "redelivery",
                                          "courier", "shipment",  nullptr};

const char* const kParcelStory[] = {
    "missed delivery",          "we missed you",       "could not be delivered",
    "couldn't be delivered",    "unable to deliver",   "failed delivery",
    "delivery attempt",         "held at our depot",   "held at the depot",
    "parcel is on hold",        "package is on hold",  "incomplete address",
    "address is incomplete",    "update your address", "confirm your address",
    "reschedule your delivery", "reschedule delivery", "schedule a redelivery",
    "arrange a redelivery",     "book a redelivery",   nullptr};

const char* const kHmrc[] = {"hmrc", "hm revenue", "tax refund", "tax rebate", nullptr};
// Not "refund" itself: "tax refund" would then be its own story.
const char* const kHmrcStory[] = {
    "penalty",  "fine",   "owe",       "outstanding", "arrest", "legal action", "claim",
    "overpaid", "unpaid", "underpaid", "debt",        "owed",   "entitled to",  nullptr};

const char* const kDvla[] = {"dvla", "vehicle tax", "car tax", nullptr};
const char* const kDvlaStory[] = {"refund", "fine",         "penalty",     "suspend", "suspended",
                                  "failed", "unpaid",       "outstanding", "overdue", "update your",
                                  "verify", "confirm your", "expired",     "invalid", "declined",
                                  "rebate", nullptr};

const char* const kEnergy[] = {"energy rebate",
                               "energy bill rebate",
                               "energy refund",
                               "energy bills support",
                               "energy grant",
                               "energy discount",
                               "cost of living payment",
                               "council tax rebate",
                               "council tax refund",
                               "£400 discount",
                               "£400 energy",
                               "winter fuel payment",
                               "warm home discount",
                               nullptr};
const char* const kEnergyStory[] = {"claim", "apply",   "register", "click",
                                    "link",  "details", "visit",    nullptr};

const char* const kTvLicence[] = {"tv licence", "tv licensing", "tv license", "television licence",
                                  nullptr};
const char* const kTvStory[] = {"has expired",    "expired",
                                "expiring today", "will expire today",
                                "payment failed", "payment was declined",
                                "failed",         "refund",
                                "suspended",      "cancelled",
                                "update your",    "unable to process",
                                "overpaid",       "pay now",
                                "renew now",      nullptr};

const char* const kNewNumber[] = {"new number",       "new phone",
                                  "lost my phone",    "broke my phone",
                                  "broken my phone",  "dropped my phone",
                                  "phone is broken",  "phone broke",
                                  "temporary number", "old number",
                                  "new mobile",       "phone got stolen",
                                  "phone was stolen", nullptr};
const char* const kMoneyWords[] = {
    "pay",     "bill",           "transfer", "money", "bank",      "£",
    "overdue", "payment",        "invoice",  "rent",  "sort code", "account details",
    "favour",  "need your help", nullptr};

const char* const kFamily[] = {
    "hi mum",      "hello mum",  "hey mum",    "hiya mum",      "hi mom",
    "hi dad",      "hello dad",  "hey dad",    "hiya dad",      "mum it's me",
    "dad it's me", "mum its me", "dad its me", "it's your son", "it's your daughter",
    nullptr};
const char* const kFamilyMoney[] = {"transfer",
                                    "bank details",
                                    "sort code",
                                    "account details",
                                    "pay this bill",
                                    "pay a bill",
                                    "pay my bill",
                                    "pay for me",
                                    "overdue",
                                    "urgent",
                                    "urgently",
                                    "asap",
                                    "can't access my bank",
                                    "cant access my bank",
                                    "can't log into my bank",
                                    "send me the money",
                                    nullptr};

const char* const kWhatsApp[] = {"message me on whatsapp",
                                 "add me on whatsapp",
                                 "text me on whatsapp",
                                 "contact me on whatsapp",
                                 "chat on whatsapp",
                                 "on telegram",
                                 nullptr};

const char* const kUrgency[] = {"urgent",
                                "urgently",
                                "immediately",
                                "within 24 hours",
                                "within 24hrs",
                                "within 12 hours",
                                "within 48 hours",
                                "within 2 hours",
                                "today only",
                                "act now",
                                "final notice",
                                "final reminder",
                                "final warning",
                                "last chance",
                                "expires today",
                                "as soon as possible",
                                "asap",
                                "right away",
                                "before midnight",
                                "without delay",
                                "don't delay",
                                "time is running out",
                                nullptr};

const char* const kThreats[] = {"arrest",
                                "arrested",
                                "warrant",
                                "police will",
                                "legal action",
                                "court action",
                                "prosecution",
                                "prosecuted",
                                "bailiff",
                                "bailiffs",
                                "enforcement agent",
                                "will be suspended",
                                "has been suspended",
                                "will be closed",
                                "will be blocked",
                                "has been blocked",
                                "will be frozen",
                                "has been frozen",
                                "will be cancelled",
                                "will be disconnected",
                                "will be cut off",
                                "cut off",
                                "criminal",
                                "fine of",
                                "penalty of",
                                "penalty notice",
                                "penalty charge",
                                "to avoid a penalty",
                                "to avoid a fine",
                                "to avoid further charges",
                                nullptr};

const char* const kAccountAlert[] = {"account has been suspended",
                                     "account will be suspended",
                                     "account has been locked",
                                     "account is locked",
                                     "account has been restricted",
                                     "account is restricted",
                                     "account has been limited",
                                     "unusual activity",
                                     "unusual sign-in",
                                     "unusual login",
                                     "suspicious activity",
                                     "suspicious login",
                                     "suspicious sign-in",
                                     "verify your account",
                                     "verify your identity",
                                     "confirm your identity",
                                     "confirm your account",
                                     "reactivate",
                                     "unlock your account",
                                     "security alert",
                                     "new device",
                                     "login attempt",
                                     "sign-in attempt",
                                     nullptr};

const char* const kPaymentAlert[] = {"if this wasn't you",
                                     "if this was not you",
                                     "if this is not you",
                                     "if not you",
                                     "not you?",
                                     "did you make this",
                                     "did you authorise",
                                     "if you did not make",
                                     "if you didn't make",
                                     "if you did not request",
                                     "if you didn't request",
                                     "if you did not authorise",
                                     "cancel this payment",
                                     "cancel the payment",
                                     "dispute this",
                                     "stop this payment",
                                     nullptr};

const char* const kPrize[] = {"you have won",
                              "you've won",
                              "you have been selected",
                              "you've been selected",
                              "winner",
                              "prize",
                              "claim your reward",
                              "claim your prize",
                              "free gift",
                              "lottery",
                              "jackpot",
                              "cash prize",
                              nullptr};

const char* const kTechSupport[] = {"your computer has a virus",
                                    "your computer is infected",
                                    "your pc is infected",
                                    "your device is infected",
                                    "virus detected",
                                    "viruses detected",
                                    "your router has been",
                                    "your router is",
                                    "ip address has been",
                                    "internet will be disconnected",
                                    "internet will be cut off",
                                    "broadband will be disconnected",
                                    "disconnect your broadband",
                                    "disconnect your internet",
                                    "microsoft support",
                                    "microsoft technician",
                                    "windows support",
                                    "technical support team",
                                    nullptr};

const char* const kRenewal[] = {
    "norton",       "mcafee",       "geek squad",       "auto-renew",      "auto renew",
    "auto-renewed", "auto renewed", "has been renewed", "will be renewed", nullptr};
// Calling or clicking, as the reason says: a council's "to cancel, visit our website" is not.
const char* const kRenewalStory[] = {"call", "ring", "click", "tap", "<phone number>", nullptr};

const char* const kInvestment[] = {"guaranteed return",
                                   "guaranteed returns",
                                   "guaranteed profit",
                                   "double your money",
                                   "investment opportunity",
                                   "trading platform",
                                   "crypto investment",
                                   "risk-free",
                                   "risk free",
                                   "get rich",
                                   "passive income",
                                   "forex",
                                   nullptr};

const char* const kJob[] = {"part-time job",    "part time job", "flexible job", "job paying",
                            "work from home",   "remote job",    "earn £",       "earn up to",
                            "daily income",     "per day",       "saw your cv",  "your cv online",
                            "recruitment team", nullptr};
const char* const kJobStory[] = {
    "whatsapp", "telegram",      "recruit",   "recruiter", "recruitment", "hr department",
    "salary",   "no experience", "reply yes", "£",         nullptr};

const char* const kPurchaseCallback[] = {"did not make this purchase", "didn't make this purchase",
                                         "did not place this order",   "didn't place this order",
                                         "did not authorise this",     "didn't authorise this",
                                         "to cancel this order",       "to cancel this purchase",
                                         "to cancel this payment",     nullptr};
const char* const kCallWords[] = {"call", "ring", "phone", "press 1", nullptr};

const char* const kUnpaidCharge[] = {
    "unpaid",         "outstanding", "overdue",         "penalty",
    "fine",           "toll",        "crossing charge", "congestion charge",
    "parking charge", "non-payment", "missed payment",  nullptr};
const char* const kPayWords[] = {"pay", "payment", "settle", "clear", nullptr};

const char* const kKeypad[] = {"press 1", "press one", "press 9", "press 2", nullptr};

const char* const kRefundClaim[] = {"you are owed a refund",
                                    "you are due a refund",
                                    "you're due a refund",
                                    "you are eligible for a refund",
                                    "eligible for a refund",
                                    "claim your refund",
                                    "pending refund",
                                    "unclaimed refund",
                                    "refund is waiting",
                                    "refund is pending",
                                    nullptr};

const PhraseRule kRules[] = {
    {"safe_account", 45, kSafeAccount, nullptr, true, false, false,
     "It asks you to move money to a \"safe account\". Banks never ask you to do that.",
     "Do not move any money. Hang up, then call your bank on 159 or the number on the back of your "
     "card."},
    {"remote_access", 40, kRemoteAccess, nullptr, true, false, false,
     "It asks you to install a remote-access app or let someone onto your computer.",
     "Never let a caller or a message talk you into giving them control of your computer. If you "
     "already "
     "did, switch it off and call your bank on 159."},
    {"one_time_code", 40, kOneTimeCode, nullptr, true, false, false,
     "It asks you to pass on a one-time code. Those codes unlock your accounts and are only for "
     "you.",
     "Never share a code that was sent to your phone, whoever asks. If you already did, call your "
     "bank on 159."},
    {"pin_request", 35, kPin, nullptr, true, false, false,
     "It asks for your PIN. No bank or company will ever ask you for it.",
     "Never give your PIN to anyone. If you already did, call your bank on 159 straight away."},
    {"gift_cards_crypto", 35, kGiftCardsCrypto, kPaymentAsk, true, false, false,
     "It asks for payment in gift cards, cryptocurrency or a money-transfer service, which cannot "
     "be traced "
     "or refunded.",
     "No genuine company or official body asks to be paid in gift cards or cryptocurrency."},
    {"hmrc_story", 35, kHmrc, kHmrcStory, true, false, true,
     "It claims to be about an HMRC tax refund or penalty. HMRC does not text or email about "
     "refunds or "
     "penalties with a link.",
     "Check your tax only through GOV.UK or the HMRC app. Forward scam texts to 7726."},
    {"dvla_story", 35, kDvla, kDvlaStory, true, false, true,
     "It claims to be from the DVLA about a refund, fine or failed vehicle tax payment.",
     "The DVLA does not send texts asking for payment or bank details. Use GOV.UK for vehicle "
     "tax."},
    {"energy_rebate", 35, kEnergy, kEnergyStory, true, false, false,
     "It offers an energy or council tax rebate that you must claim through a link.",
     "Genuine energy support is paid automatically or through your supplier. Do not give card "
     "details to "
     "claim it."},
    {"tv_licence", 35, kTvLicence, kTvStory, true, false, true,
     "It claims your TV licence has expired or a payment failed, a common fake.",
     "Check your licence only at tvlicensing.co.uk, typed in yourself."},
    {"new_number_money", 45, kNewNumber, kMoneyWords, true, false, false,
     "It is the \"new number\" story: someone on an unknown number says they are family and asks "
     "for money.",
     "Call your relative on the number you already have for them before you pay anything."},
    {"tech_support", 35, kTechSupport, nullptr, true, false, false,
     "It claims your computer, router or internet has a problem that someone needs to fix for you.",
     "Genuine companies do not contact you out of the blue about viruses. Do not call back or "
     "install "
     "anything."},
    {"subscription_renewal", 35, kRenewal, kRenewalStory, true, false, false,
     "It says a subscription has renewed and you must call or click to cancel or get a refund.",
     "Check your bank statement and contact the company through its own website, not the message."},
    {"safe_secrecy", 30, kSecrecy, nullptr, false, false, false,
     "It tells you to keep this secret from your bank or family, which is what criminals say.",
     "Talk to someone you trust before you act. Your bank will never ask you to lie to them."},
    {"card_details", 30, kCardDetails, kDetailAsks, true, false, false,
     "It asks for your card or bank details.",
     "Never enter card details from a link in a message. Go to the company's website or app "
     "yourself."},
    {"personal_details", 30, kPersonalDetails, kDetailAsks, true, false, false,
     "It asks for personal or security details such as passwords or your date of birth.",
     "Never give passwords or security answers to a message or caller."},
    {"parcel_fee", 30, kParcelFee, kParcelWords, true, false, false,
     "It asks for a small fee to deliver a parcel, the most common scam text in the UK.",
     "Couriers do not text you to pay a redelivery or customs fee through a link. Check with the "
     "courier "
     "on its own website."},
    {"parcel_story", 30, kParcelStory, kParcelsThemselves, true, true, false,
     "It says a parcel could not be delivered and sends you to a website no courier owns.",
     "Track parcels only on the courier's own website or app."},
    {"prize", 15, kPrize, nullptr, true, false, false,
     "It says you have won a prize or been selected for a reward.",
     "You cannot win a prize you never entered. Do not pay a fee or give details to claim it."},
    {"investment", 30, kInvestment, nullptr, true, false, false,
     "It promises guaranteed or easy returns on an investment.",
     "Check any investment firm on the FCA register before you pay, and be wary of guaranteed "
     "returns."},
    {"job_offer", 30, kJob, kJobStory, true, false, false,
     "It offers easy pay for online work through a chat app.",
     "Genuine employers do not recruit by unsolicited message and never ask you to pay to start."},
    {"purchase_callback", 30, kPurchaseCallback, kCallWords, false, false, true,
     "It describes an expensive order you did not make and asks you to get in touch on a number "
     "or address in the message to cancel it.",
     "Do not call the number in the message. Check your orders in the shop's own app or website."},
    {"unpaid_charge_link", 25, kUnpaidCharge, kPayWords, true, true, false,
     "It asks you to pay an unpaid charge, fine or bill through a link to a site that the "
     "organisation does "
     "not own.",
     "Pay bills and charges only through the organisation's own website or app, typed in "
     "yourself."},
    {"keypad_call", 20, kKeypad, nullptr, true, false, false,
     "It asks you to press a key to speak to someone, the way automated scam calls work.",
     "Hang up. Call the company back on a number you already trust, ideally from another phone."},
    {"family_money", 25, kFamily, kFamilyMoney, true, false, false,
     "It is written as a family member who urgently needs money or bank details.",
     "Call your relative on the number you already have for them before you pay anything."},
    {"account_alert_link", 25, kAccountAlert, nullptr, true, true, false,
     "It warns of a problem with your account and sends you to a link to fix it.",
     "Log in only through the company's own app or a website address you type yourself."},
    {"payment_alert_link", 25, kPaymentAlert, nullptr, true, true, false,
     "It asks about a payment you did not make and sends you to a link to stop it.",
     "Check payments in your banking app, or call your bank on 159."},
    {"refund_claim", 25, kRefundClaim, nullptr, true, false, false,
     "It says you are owed a refund that you must claim.",
     "Genuine refunds are paid back the way you paid; you never have to claim them through a "
     "link."},
    {"money_transfer", 20, kMoneyTransfer, nullptr, true, false, false,
     "It asks you to transfer money or give bank account details.",
     "Never move money because a message or caller tells you to. Check with your bank on 159 "
     "first."},
    {"threats", 20, kThreats, nullptr, true, false, false,
     "It threatens arrest, fines or a closed account to frighten you into acting.",
     "Real organisations do not threaten you by text. Take your time and check."},
    {"whatsapp_move", 15, kWhatsApp, nullptr, true, false, false,
     "It asks you to carry on the conversation on WhatsApp or Telegram.",
     "Stay in touch on numbers you already know."},
    {"urgency", 10, kUrgency, nullptr, false, false, false,
     "It pushes you to act fast, so that you do not stop to check.",
     "Slow down: a genuine request can wait while you check it."},
};

} // namespace

const PhraseRule* phrase_rule_table(size_t* count) {
  *count = sizeof(kRules) / sizeof(kRules[0]);
  return kRules;
}
