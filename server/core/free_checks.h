#pragma once
// The daily allowance of checks for a device without an entitled account. `serve` takes
// another with --free-checks-per-day, so that long test runs do not use it up.
const int kDefaultFreeChecksPerDay = 5;
const int kMaxFreeChecksPerDay = 100000;
// And for all the devices behind one client network (an IPv4 address, an IPv6 /64) together:
// the label is the caller's to choose, so the allowance per device alone is no limit.
// --free-checks-per-address-per-day.
const int kDefaultFreeChecksPerAddressPerDay = 25;
