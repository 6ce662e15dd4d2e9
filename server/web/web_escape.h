#pragma once
// The one place where outside text becomes HTML. Every page writes a device label, a name, an
// identifier or an error through one of these, chosen by where the text goes; none escapes by
// hand. Bytes that are not valid UTF-8 become U+FFFD, so a broken label cannot break the page.
#include <string>

// Text between tags: & < > " ' escaped.
std::string html_text(const std::string& text);
// A quoted attribute value (always written with double quotes): the same set, plus line breaks
// and tabs as character references so the value reads back as sent.
std::string html_attr(const std::string& text);
// One component of a URL's path or query: everything but A-Z a-z 0-9 - . _ ~ percent-encoded.
std::string url_component(const std::string& text);
