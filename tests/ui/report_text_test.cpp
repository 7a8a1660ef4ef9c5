// The words of the report at the end of a job, made without a window.
#include "ui/report_text.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/delete_job.h"
#include "lang/english_texts.h"
#include "lang/text_store.h"

namespace {

class ReportTextTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterEnglishTexts(nullptr); }

  static bool HasLine(const ReportContent& content, const std::string& line) {
    for (const std::string& shown : content.summary)
      if (shown == line) return true;
    return false;
  }
};

TEST_F(ReportTextTest, ACleanJobSummarisesWhatWentAndClosesItself) {
  JobReport report;
  report.files = 3;
  report.folders = 1;
  report.bytes = 2048;
  report.pattern = "\xFE";
  report.elapsedMs = 1450;
  const ReportContent content = JobReportContent(report);
  EXPECT_TRUE(content.closesItself);
  EXPECT_TRUE(content.rows.empty());
  EXPECT_EQ(content.summary.front(), "Everything you chose was destroyed.");
  EXPECT_TRUE(HasLine(content, "Files destroyed: 3 (2.00 KB overwritten)"));
  EXPECT_TRUE(HasLine(content, "Folders removed: 1"));
  EXPECT_TRUE(HasLine(content, "Fill: the pattern FE"));
  EXPECT_TRUE(HasLine(content, "Read back and compared after writing: no"));
  EXPECT_TRUE(HasLine(content, "Time taken: 1.4 s"));
  // No line about links when there were none.
  for (const std::string& line : content.summary) EXPECT_EQ(line.find("Links"), std::string::npos);

  report.links = 2;
  report.fill = FillKind::kRandom;
  report.verified = true;
  const ReportContent more = JobReportContent(report);
  EXPECT_TRUE(HasLine(more, "Links removed (what they led to was not touched): 2"));
  EXPECT_TRUE(HasLine(more, "Fill: random data"));
  EXPECT_TRUE(HasLine(more, "Read back and compared after writing: yes"));
}

TEST_F(ReportTextTest, KeptAndNotedItemsAreListedWithTheirReasonsAndKeepTheWindowOpen) {
  JobReport report;
  report.AddKept("C:\\d\\held.txt", 32);
  report.AddKept("C:\\d\\denied.txt", 5);
  report.AddKept("C:\\d\\linked.txt", kReasonOtherNames);
  report.AddKept("C:\\d\\bad.txt", kReasonVerifyFailed);
  report.keptUnlisted = 7;
  const ReportContent content = JobReportContent(report);
  EXPECT_FALSE(content.closesItself);
  EXPECT_EQ(content.summary.front(),
            "Done, but 11 of the items stayed in place: they are listed below.");
  ASSERT_EQ(content.rows.size(), 5u);
  EXPECT_EQ(content.rows[0].item, "C:\\d\\held.txt");
  EXPECT_EQ(content.rows[0].what, "Kept: held by another program");
  EXPECT_EQ(content.rows[1].what, "Kept: skipped after an error: error 5");
  // With the system's words, on one line.
  const ReportContent described = JobReportContent(
      report, [](uint32_t code) { return std::string(code == 5 ? "Access is\r\ndenied.\r\n" : ""); });
  EXPECT_EQ(described.rows[1].what, "Kept: skipped after an error: Access is denied.");
  EXPECT_EQ(content.rows[2].what,
            "Kept: its contents have other names (hard links) outside the selection");
  EXPECT_EQ(content.rows[3].what, "Kept: read back, it did not hold what had been written");
  EXPECT_EQ(content.rows[4].what, "7 more items kept, not listed");

  // A destroyed item with notes is destroyed, yet the user must see them.
  JobReport noted;
  noted.files = 1;
  noted.AddCaveats("C:\\d\\packed.bin", kCaveatCompressed | kCaveatSnapshots);
  const ReportContent notes = JobReportContent(noted);
  EXPECT_FALSE(notes.closesItself);
  EXPECT_EQ(notes.summary.front(), "Everything you chose was destroyed.");
  ASSERT_EQ(notes.rows.size(), 1u);
  EXPECT_EQ(notes.rows[0].what,
            "Destroyed; the file system may still keep earlier contents elsewhere "
            "(compressed, shadow copies)");
}

TEST_F(ReportTextTest, AStoppedJobSaysSoAndStaysEvenWithNothingKept) {
  JobReport report;
  report.files = 2;
  report.cancelled = true;
  const ReportContent content = JobReportContent(report);
  EXPECT_FALSE(content.closesItself);
  EXPECT_EQ(content.summary.front(),
            "The job was stopped before its end: what it had not reached yet is still in place.");
  EXPECT_TRUE(HasLine(content, "Files destroyed: 2 (0 bytes overwritten)"));
}

TEST_F(ReportTextTest, ThePlainTextHoldsTheSummaryThenOneItemALine) {
  ReportContent content;
  content.summary = {"First", "Second"};
  EXPECT_EQ(ReportPlainText(content), "First\r\nSecond\r\n");
  content.rows = {{"C:\\a.txt", "Kept: x"}, {"C:\\b.txt", "Kept: y"}};
  EXPECT_EQ(ReportPlainText(content),
            "First\r\nSecond\r\n\r\nC:\\a.txt\tKept: x\r\nC:\\b.txt\tKept: y\r\n");
}

TEST_F(ReportTextTest, TheTimeTakenIsShortAtEveryScale) {
  EXPECT_EQ(ElapsedText(0), "0.0 s");
  EXPECT_EQ(ElapsedText(9999), "9.9 s");
  EXPECT_EQ(ElapsedText(10000), "10 s");
  EXPECT_EQ(ElapsedText(59999), "59 s");
  EXPECT_EQ(ElapsedText(65000), "1 min 05 s");
  EXPECT_EQ(ElapsedText(3599999), "59 min 59 s");
  EXPECT_EQ(ElapsedText(7620000), "2 h 07 min");
}

TEST_F(ReportTextTest, ALongPatternIsCutAfterSixteenBytes) {
  JobReport report;
  report.pattern = std::string(20, 'A');
  const ReportContent content = JobReportContent(report);
  EXPECT_TRUE(
      HasLine(content, "Fill: the pattern 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 ..."));
}

}  // namespace
