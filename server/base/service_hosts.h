#pragma once
// Which site a request is for, by its Host header: the program's API on api.<domain>, the web
// pages on www.<domain> (both from the one build-time definition of the vendor's domain).
#include <string>

#include "app/vendor.h"

enum SiteHost { kHostApi, kHostWeb, kHostUnknown };

// The name is compared without its port and letter case. A bare IP address is the API too:
// it cannot name the web site, and monitoring and benchmarks reach the service by address.
SiteHost site_host(const std::string& host_header);

// "https://www.olvex.example"
std::string web_origin();
