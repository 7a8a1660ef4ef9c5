// Saving a report: the file holds exactly the text, in a form any editor
// reads, and a place that cannot be written is a failure with its reason.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "support/scratch_folder.h"
#include "widgets/report_dlg.h"

namespace {

TEST(ReportFile, HoldsTheTextAsUtf8WithAMarkAndReplacesAnOlderFileWhole) {
  kxtest::ScratchFolder scratch;
  const std::string path = scratch / "report.txt";
  ASSERT_TRUE(kxtest::WriteBytes(path, std::string(500, 'o')));
  ASSERT_EQ(GetACP(), 1252u) << "the text below is written in code page 1252";
  // "Größe" in the test's code page (1252): the umlauts become two bytes each.
  const std::string text =
      "Gr\xF6\xDF"
      "e: 1\r\nC:\\a.txt\tKept\r\n";
  ASSERT_TRUE(WriteTextFile(kxtest::FileName(path), text));
  EXPECT_EQ(kxtest::ReadBytes(path),
            "\xEF\xBB\xBF"
            "Gr\xC3\xB6\xC3\x9F"
            "e: 1\r\nC:\\a.txt\tKept\r\n");

  SetLastError(0);
  EXPECT_FALSE(WriteTextFile(kxtest::FileName(scratch / "no-folder\\report.txt"), text));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
