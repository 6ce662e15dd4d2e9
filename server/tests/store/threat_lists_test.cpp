// The public lists of scam websites, from file to verdict: each format imported into the store
// (on SQLite and on PostgreSQL), loaded as an instance loads it and handed to the judge; a
// list re-imported replaces only its own source's; a list refused changes nothing.
#include <gtest/gtest.h>

#include <fstream>

#include "core/threat_lists.h"
#include "edge/threat_import.h"
#include "judge/engine_test_support.h"
#include "judge/scam_engine.h"
#include "store/store_threats.h"
#include "support/service_harness.h"

namespace {

const int64_t kNow = 1797000000; // 11 December 2026, 14:40 UTC
const std::string kFixtures = LS_TEST_DATA_DIR "/store/fixtures/threats/";

class ThreatListsTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(database_.ready());
    store_.reset(new DataStore(dir_.path + "/data", database_.url()));
    ASSERT_NE(store_->get(), nullptr);
  }

  int import(const char* format, const std::string& file, std::string* said) {
    std::string report;
    std::string error;
    int ok = import_threat_file(store_->get(), *threat_feed_by_format(format), file, kNow, &report,
                                &error);
    *said = ok ? report : error;
    return ok;
  }

  // What the judge says of a message with this link, with the lists as an instance loads them.
  ScamAssessment judged(const std::string& link) {
    std::shared_ptr<const ThreatSet> set;
    std::string version;
    EXPECT_TRUE(threat_set_load(store_->get(), &set, &version));
    return assess_message("Hello, see " + link + " when you have a moment.", test_suffix_list(),
                          set.get());
  }

  std::string written(const std::string& name, const std::string& text) {
    std::string path = dir_.path + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  std::string lists_version() {
    std::shared_ptr<const ThreatSet> set;
    std::string version;
    EXPECT_TRUE(threat_set_load(store_->get(), &set, &version));
    return version + std::to_string(set->entries());
  }

  TestDatabase database_;
  TempDir dir_;
  std::unique_ptr<DataStore> store_;
};

::testing::AssertionResult listed(const ScamAssessment& result, const std::string& reason) {
  if (result.verdict == SCAM_VERDICT && !result.reasons.empty() && result.reasons[0] == reason)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << result.verdict << " " << (result.reasons.empty() ? "" : result.reasons[0]);
}

TEST_F(ThreatListsTest, EachFormatIsImportedAndItsLinksJudgedScamWithTheListsName) {
  std::string said;
  ASSERT_TRUE(import("urlhaus", kFixtures + "urlhaus.csv", &said)) << said;
  EXPECT_EQ(said, "Imported 4 addresses from URLhaus, updated 10 December.");
  ASSERT_TRUE(import("openphish", kFixtures + "openphish.txt", &said)) << said;
  EXPECT_EQ(said, "Imported 4 addresses from OpenPhish, updated 11 December.");
  ASSERT_TRUE(import("phishtank", kFixtures + "phishtank.csv", &said)) << said;
  EXPECT_EQ(said, "Imported 3 addresses from PhishTank, updated 8 December.");

  const std::string urlhaus =
      "This link is on URLhaus's public list of scam websites (updated 10 December).";
  // Spelt as a message would: another case, the default port, no scheme, a fragment.
  EXPECT_TRUE(listed(judged("HTTPS://parcel-redelivery-desk.EXAMPLE:443/track#top"), urlhaus));
  EXPECT_TRUE(listed(judged("http://203.0.113.45:8080/bins/update.sh"), urlhaus));
  // A site listed whole is listed on every page; a page listed alone is only that page.
  EXPECT_TRUE(listed(judged("http://invoice-viewer.example/any/other/page"), urlhaus));
  EXPECT_FALSE(
      assessment_has_rule(judged("https://files.shared-drive.example/d/other"), "listed_link"));
  EXPECT_TRUE(listed(judged("https://secure-lloyds-verify.example/login/index.php"),
                     "This link is on OpenPhish's public list of scam websites (updated 11 "
                     "December)."));
  EXPECT_TRUE(listed(judged("https://pay-dvla-vehicle.example/renew?a=1,2"),
                     "This link is on PhishTank's public list of scam websites (updated 8 "
                     "December)."));
  EXPECT_FALSE(assessment_has_rule(judged("https://www.gov.uk/vehicle-tax"), "listed_link"));
}

TEST_F(ThreatListsTest, AnImportReplacesItsOwnSourcesListOnly) {
  std::string said;
  ASSERT_TRUE(import("urlhaus", kFixtures + "urlhaus.csv", &said)) << said;
  ASSERT_TRUE(import("openphish", kFixtures + "openphish.txt", &said)) << said;
  const std::string before = lists_version();
  ASSERT_TRUE(import("openphish", written("new.txt", "https://new-phish.example/a\n"), &said));
  EXPECT_NE(lists_version(), before) << "the instances must see that it changed";
  EXPECT_TRUE(assessment_has_rule(judged("https://new-phish.example/a"), "listed_link"));
  EXPECT_FALSE(assessment_has_rule(judged("https://hmrc-tax-refund.example/"), "listed_link"))
      << "OpenPhish's old list is gone";
  EXPECT_TRUE(assessment_has_rule(judged("http://invoice-viewer.example/"), "listed_link"))
      << "URLhaus's stays";
}

TEST_F(ThreatListsTest, AListInAWrongFormatEmptyOrWithAHugeLineIsRefusedAndChangesNothing) {
  std::string said;
  ASSERT_TRUE(import("openphish", kFixtures + "openphish.txt", &said)) << said;
  const std::string before = lists_version();
  struct Refused {
    const char* format;
    std::string file;
    const char* says;
  };
  std::ifstream good(kFixtures + "openphish.txt");
  std::string first_line;
  std::getline(good, first_line);
  const Refused refused[] = {
      {"openphish", kFixtures + "phishtank.csv", "not a list in OpenPhish's format: line 1"},
      {"phishtank", kFixtures + "urlhaus.csv", "not a list in PhishTank's format: line 1"},
      {"urlhaus", kFixtures + "openphish.txt", "not a list in URLhaus's format: line 1"},
      {"openphish", written("empty.txt", ""), "holds no web addresses"},
      {"urlhaus", written("comments.csv", "# Last updated: 2026-12-10\n#\n"),
       "holds no web addresses"},
      {"openphish",
       written("huge.txt", first_line + "\nhttps://long.example/" + std::string(100000, 'a') +
                               "\n" + first_line + "\n"),
       "line 2 is longer than 8192 bytes"},
      {"openphish", written("nonsense.txt", "https://\nhttps://[\nhttp://a b\n"), "no web address"},
  };
  for (const Refused& r : refused) {
    EXPECT_FALSE(import(r.format, r.file, &said)) << r.file;
    EXPECT_NE(said.find(r.says), std::string::npos) << said;
    EXPECT_NE(said.find("unchanged"), std::string::npos) << said;
    EXPECT_EQ(lists_version(), before) << r.file;
  }
  EXPECT_FALSE(import("urlhaus", dir_.path + "/missing.csv", &said));
}

} // namespace
