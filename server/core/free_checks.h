#pragma once
// The daily allowance of checks for a device without an entitled account. `serve` takes
// another with --free-checks-per-day, so that long test runs do not use it up.
const int kDefaultFreeChecksPerDay = 5;
const int kMaxFreeChecksPerDay = 100000;
