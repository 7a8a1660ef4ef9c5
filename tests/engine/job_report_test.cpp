// What a job records of itself while it runs, on real files under Wine: the
// counts of what went, every item that stayed with its reason, the fill and
// a stop by the user.
#include "engine/job_report.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/run_job.h"
#include "engine/shred_support.h"
#include "lang/english_texts.h"

using kxtest::Exists;
using kxtest::WriteBytes;

namespace {

bool IsDirectory(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Holds a file open without sharing, as another program would.
class Lock {
 public:
  explicit Lock(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~Lock() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

class JobReportTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterEnglishTexts(nullptr); }
  void SetUp() override {
    BuildJob(job);
    ResetConfig(settings);
  }
  void TearDown() override { ReleaseJob(job); }

  std::string Make(const std::string& relative, size_t size) {
    std::string path = scratch / relative;
    const size_t slash = path.rfind('\\');
    CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
    EXPECT_TRUE(WriteBytes(path, std::string(size, 'x'))) << path;
    return path;
  }
  void Add(const std::string& path) {
    ASSERT_NE(AddTopLevelItem(job, path.c_str(), IsDirectory), nullptr) << path;
  }
  bool Run(const ShredOptions& options = {}) {
    return RunJob(job, settings, host, options, &report);
  }

  kxtest::ScratchFolder scratch;
  kxtest::ScriptedHost host;
  ConfigRecord settings;
  DeleteJob job;
  JobReport report;
};

TEST_F(JobReportTest, AJobThatWentAsAskedCountsFilesFoldersAndBytes) {
  Make("tree\\a.bin", 1000);
  Make("tree\\sub\\b.bin", 70000);
  Make("tree\\sub\\empty.txt", 0);
  const std::string single = Make("single.txt", 5);
  Add(scratch / "tree");
  Add(single);

  EXPECT_TRUE(Run());
  EXPECT_EQ(report.files, 4u);
  EXPECT_EQ(report.folders, 2u);
  EXPECT_EQ(report.links, 0u);
  EXPECT_EQ(report.bytes, 71005u);
  EXPECT_TRUE(report.kept.empty());
  EXPECT_FALSE(report.cancelled);
  EXPECT_TRUE(report.Clean());
  EXPECT_EQ(report.fill, FillKind::kPattern);
  EXPECT_EQ(report.pattern, "\xFE");
  EXPECT_FALSE(report.verified);
  // The report is the caller's: the job holds none after the run.
  EXPECT_EQ(job.report, nullptr);
}

TEST_F(JobReportTest, EveryItemThatStaysIsListedWithItsReasonAndSkipAllAsksNobody) {
  const std::string held = Make("a\\held.txt", 100);
  const std::string second = Make("b\\second.txt", 100);
  const std::string free = Make("c\\free.txt", 100);
  Add(scratch / "a");
  Add(scratch / "b");
  Add(scratch / "c");
  Lock lockHeld(held), lockSecond(second);
  ASSERT_TRUE(lockHeld.Held() && lockSecond.Held());
  // The first error is answered Skip All; the second is given up unasked.
  host.answers = {kAnswerSkipAll};

  EXPECT_FALSE(Run());
  EXPECT_EQ(host.prompts.size(), 1u);
  ASSERT_EQ(report.kept.size(), 2u);
  for (const JobReport::Kept& kept : report.kept) {
    EXPECT_TRUE(kept.path == held || kept.path == second) << kept.path;
    EXPECT_EQ(kept.reason, KeptReason::kHeld);
    EXPECT_EQ(kept.code, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
  }
  EXPECT_NE(report.kept[0].path, report.kept[1].path);
  // Their folders stay too, but only the items themselves are listed.
  EXPECT_EQ(report.files, 1u);
  EXPECT_EQ(report.folders, 1u);
  EXPECT_FALSE(Exists(free));
  EXPECT_FALSE(report.cancelled);
  EXPECT_FALSE(report.Clean());
}

TEST_F(JobReportTest, AStopByTheUserIsRecordedWhetherAtAPromptOrBetweenChunks) {
  const std::string held = Make("held.txt", 10);
  Add(held);
  {
    Lock lock(held);
    host.answers = {kAnswerCancel};
    EXPECT_FALSE(Run());
  }
  EXPECT_TRUE(report.cancelled);
  EXPECT_FALSE(report.Clean());
  EXPECT_EQ(report.files, 0u);

  // Cancelled from the progress window: the next report answers false.
  JobReport second;
  host.answers.clear();
  host.cancelled = false;
  host.atReport = [&](int) { host.cancelled = true; };
  EXPECT_FALSE(RunJob(job, settings, host, {}, &second));
  EXPECT_TRUE(second.cancelled);
  EXPECT_TRUE(Exists(held));
}

TEST_F(JobReportTest, TheFillFollowsTheOptionsAndTheSettings) {
  JobReport fill;
  ShredOptions options{};
  fill.SetFill(settings, options);
  EXPECT_EQ(fill.fill, FillKind::kPattern);
  EXPECT_EQ(fill.pattern, "\xFE");

  // Zeros, whether by length 0 or by a pattern of nothing but zeros.
  settings.fillLength = 0;
  fill.SetFill(settings, options);
  EXPECT_EQ(fill.fill, FillKind::kZeros);
  settings.fillLength = 3;
  settings.fillPattern[0] = settings.fillPattern[1] = settings.fillPattern[2] = 0;
  fill.SetFill(settings, options);
  EXPECT_EQ(fill.fill, FillKind::kZeros);
  EXPECT_TRUE(fill.pattern.empty());

  settings.fillPattern[1] = 'A';
  fill.SetFill(settings, options);
  EXPECT_EQ(fill.fill, FillKind::kPattern);
  EXPECT_EQ(fill.pattern, std::string("\0A\0", 3));
  // A damaged length never reads past the pattern.
  settings.fillLength = 255;
  fill.SetFill(settings, options);
  EXPECT_EQ(fill.pattern.size(), 128u);

  options.randomFill = 1;
  options.verify = 1;
  fill.SetFill(settings, options);
  EXPECT_EQ(fill.fill, FillKind::kRandom);
  EXPECT_TRUE(fill.verified);
}

}  // namespace
