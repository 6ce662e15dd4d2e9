#include <gtest/gtest.h>

#include "edge/command_line.h"

namespace {

TEST(CommandLineServe, ReadsEveryOption) {
  CommandLine line;
  std::string error;
  ASSERT_TRUE(
      parse_command_line({"serve", "--address", "127.0.0.1", "--port", "443", "--cert", "c.pem",
                          "--key", "k.pem", "--data", "/srv/data", "--test-endpoints"},
                         &line, &error))
      << error;
  EXPECT_EQ(line.command, kCommandServe);
  EXPECT_EQ(line.address, "127.0.0.1");
  EXPECT_EQ(line.port, 443);
  EXPECT_EQ(line.cert_file, "c.pem");
  EXPECT_EQ(line.key_file, "k.pem");
  EXPECT_EQ(line.data_dir, "/srv/data");
  EXPECT_TRUE(line.test_endpoints);
  EXPECT_EQ(line.suffix_file, "/usr/share/publicsuffix/public_suffix_list.dat");
  EXPECT_EQ(line.free_checks_per_day, 5);
}

TEST(CommandLineServe, FreeChecksPerDayTakesAWholeNumberInRange) {
  const std::vector<std::string> serve = {"serve", "--address", "a", "--port", "1", "--cert",
                                          "c",     "--key",     "k", "--data", "d"};
  CommandLine line;
  std::string error;
  for (const char* good : {"0", "1000", "100000"}) {
    std::vector<std::string> args = serve;
    args.insert(args.end(), {"--free-checks-per-day", good});
    ASSERT_TRUE(parse_command_line(args, &line, &error)) << good << ": " << error;
    EXPECT_EQ(line.free_checks_per_day, std::stoi(good));
  }
  for (const char* bad : {"100001", "-1", "5x", ""}) {
    std::vector<std::string> args = serve;
    args.insert(args.end(), {"--free-checks-per-day", bad});
    error.clear();
    EXPECT_FALSE(parse_command_line(args, &line, &error)) << bad;
    EXPECT_NE(error.find("--free-checks-per-day"), std::string::npos) << bad;
  }
  std::vector<std::string> missing = serve;
  missing.push_back("--free-checks-per-day");
  EXPECT_FALSE(parse_command_line(missing, &line, &error));
}

TEST(CommandLineServe, SilenceLimitsTakeSecondsFromOneToAWeek) {
  const std::vector<std::string> serve = {"serve", "--address", "a", "--port", "1", "--cert",
                                          "c",     "--key",     "k", "--data", "d"};
  CommandLine line;
  std::string error;
  ASSERT_TRUE(parse_command_line(serve, &line, &error));
  EXPECT_EQ(line.silence.after, 20 * 60);
  EXPECT_EQ(line.silence.after_threat, 3 * 60);
  std::vector<std::string> args = serve;
  args.insert(args.end(), {"--silent-after", "1", "--silent-after-threat", "604800"});
  ASSERT_TRUE(parse_command_line(args, &line, &error)) << error;
  EXPECT_EQ(line.silence.after, 1);
  EXPECT_EQ(line.silence.after_threat, 604800);
  for (const char* option : {"--silent-after", "--silent-after-threat"}) {
    for (const char* bad : {"0", "604801", "3m", ""}) {
      args = serve;
      args.insert(args.end(), {option, bad});
      error.clear();
      EXPECT_FALSE(parse_command_line(args, &line, &error)) << option << " " << bad;
      EXPECT_NE(error.find(option), std::string::npos) << error;
    }
  }
}

// The limits added against floods each take a whole number in range, named in the refusal;
// --trust-proxy takes the balancers' addresses and refuses to stand alone.
TEST(CommandLineServe, FloodLimitsAndTrustedBalancers) {
  const std::vector<std::string> serve = {"serve", "--address", "a", "--port", "1", "--cert",
                                          "c",     "--key",     "k", "--data", "d"};
  CommandLine line;
  std::string error;
  ASSERT_TRUE(parse_command_line(serve, &line, &error));
  EXPECT_EQ(line.codes_per_hour, 1000);
  EXPECT_EQ(line.free_checks_per_address, 25);
  EXPECT_EQ(line.connections_per_network, 32);
  EXPECT_TRUE(line.trusted_proxies.empty());
  struct Option {
    const char* name;
    const char* good;
    const char* bad;
  } options[] = {{"--codes-per-hour", "100000", "0"},
                 {"--free-checks-per-address-per-day", "0", "100001"},
                 {"--connections-per-network", "4096", "4097"}};
  for (const Option& option : options) {
    std::vector<std::string> args = serve;
    args.insert(args.end(), {option.name, option.good});
    EXPECT_TRUE(parse_command_line(args, &line, &error)) << option.name << ": " << error;
    args.back() = option.bad;
    EXPECT_FALSE(parse_command_line(args, &line, &error)) << option.name;
    EXPECT_NE(error.find(option.name), std::string::npos) << error;
  }
  EXPECT_EQ(line.connections_per_network, 32) << "a refused line leaves the defaults";

  std::vector<std::string> trusting = serve;
  trusting.insert(trusting.end(), {"--trust-proxy", "10.0.0.5,2001:db8::/64"});
  ASSERT_TRUE(parse_command_line(trusting, &line, &error)) << error;
  EXPECT_EQ(line.trusted_proxies.size(), 2u);
  for (const std::vector<std::string>& bare :
       {std::vector<std::string>{"--trust-proxy"},
        std::vector<std::string>{"--trust-proxy", "--test-endpoints"}}) {
    std::vector<std::string> args = serve;
    args.insert(args.end(), bare.begin(), bare.end());
    EXPECT_FALSE(parse_command_line(args, &line, &error));
    EXPECT_NE(error.find("--trust-proxy needs the load balancer's address"), std::string::npos)
        << error;
  }
}

TEST(CommandLineServe, RefusesIncompleteOrWrongOptions) {
  CommandLine line;
  std::string error;
  EXPECT_FALSE(parse_command_line(
      {"serve", "--address", "127.0.0.1", "--port", "443", "--data", "d"}, &line, &error));
  EXPECT_FALSE(parse_command_line(
      {"serve", "--address", "a", "--port", "65536", "--cert", "c", "--key", "k", "--data", "d"},
      &line, &error));
  EXPECT_FALSE(parse_command_line(
      {"serve", "--address", "a", "--port", "4x", "--cert", "c", "--key", "k", "--data", "d"},
      &line, &error));
  EXPECT_FALSE(parse_command_line({"serve", "--port"}, &line, &error));
  EXPECT_FALSE(parse_command_line({"serve", "--verbose"}, &line, &error));
  EXPECT_FALSE(parse_command_line({"launch"}, &line, &error));
  const std::vector<std::string> serve = {"serve", "--address", "a", "--port", "1", "--cert",
                                          "c",     "--key",     "k", "--data", "d"};
  std::vector<std::string> both = serve;
  both.insert(both.end(), {"--sms-file", "f", "--sms", "http://h/s?username=u&password=p"});
  EXPECT_FALSE(parse_command_line(both, &line, &error)) << "the gateway is named once";
  std::vector<std::string> from_file = serve;
  from_file.insert(from_file.end(), {"--sms-file", "f", "--sms-from", "Family"});
  EXPECT_TRUE(parse_command_line(from_file, &line, &error)) << error;
  EXPECT_EQ(line.sms_file, "f");
  EXPECT_FALSE(parse_command_line({}, &line, &error));
  EXPECT_FALSE(error.empty());
}

TEST(CommandLineAccounts, GuardianPinPlanAndName) {
  CommandLine line;
  std::string error;
  ASSERT_TRUE(parse_command_line({"set-guardian-pin", "--data", "d", "07700900123", "1234"}, &line,
                                 &error));
  EXPECT_EQ(line.command, kCommandSetGuardianPin);
  ASSERT_EQ(line.values.size(), 2u);
  EXPECT_EQ(line.values[0], "07700900123");
  EXPECT_EQ(line.values[1], "1234");
  ASSERT_TRUE(parse_command_line(
      {"set-plan", "--data", "d", "jo@example.com", "Family plan", "--entitled", "1"}, &line,
      &error));
  EXPECT_EQ(line.entitled, 1);
  EXPECT_EQ(line.values[1], "Family plan");
  EXPECT_FALSE(parse_command_line({"set-plan", "--data", "d", "jo@example.com", "Family plan"},
                                  &line, &error));
  EXPECT_FALSE(parse_command_line(
      {"set-plan", "--data", "d", "jo@example.com", "Family plan", "--entitled", "2"}, &line,
      &error));
  EXPECT_FALSE(parse_command_line({"set-guardian-pin", "07700900123", "1234"}, &line, &error));
  EXPECT_FALSE(parse_command_line({"set-name", "--data", "d", "07700900123"}, &line, &error));
}

} // namespace
