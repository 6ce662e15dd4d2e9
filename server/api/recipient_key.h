#pragma once
// Who really receives a code, for the limits on codes sent: one mailbox has many spellings
// ("Jane.Doe+x@googlemail.com" reaches jane.doe@gmail.com), and a limit per spelling would let
// codes be sent to one person without end.
#include <string>

// From a normalised identifier (normalise_identifier): a mailbox in lower case without its
// "+tag", and for gmail.com and googlemail.com (one domain) without dots, as
// "janedoe@gmail.com"; a UK mobile in its international form, "+447700900123".
std::string recipient_limit_key(const std::string& identifier);
