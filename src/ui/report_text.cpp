#include "ui/report_text.h"

#include "base/path_utils.h"
#include "base/size_text.h"
#include "lang/text_store.h"

namespace {

const char* ReportText(const char* key) { return LangText(key, "Report"); }

std::string KeptText(const JobReport::Kept& kept, ErrorDescriber describe) {
  switch (kept.reason) {
    case KeptReason::kHeld:
      return ReportText("KeptHeld");
    case KeptReason::kOutsideSelection:
      return ReportText("KeptOutside");
    case KeptReason::kOtherNames:
      return ReportText("KeptOtherNames");
    case KeptReason::kNotSupported:
      return ReportText("KeptNotSupported");
    case KeptReason::kVerifyFailed:
      return ReportText("KeptVerifyFailed");
    case KeptReason::kSkipped:
      break;
  }
  std::string reason = describe ? OneLine(describe(kept.code)) : std::string();
  if (reason.empty()) reason = FormatWithArgs(ReportText("ErrorCode"), CountText(kept.code).c_str());
  return FormatWithArgs(ReportText("KeptSkipped"), reason.c_str());
}

std::string CaveatText(uint8_t bits) {
  static constexpr struct {
    uint8_t bit;
    const char* key;
  } kCaveatKeys[] = {
      {kCaveatCompressed, "CavCompressed"},   {kCaveatEncrypted, "CavEncrypted"},
      {kCaveatSparse, "CavSparse"},           {kCaveatSnapshots, "CavSnapshots"},
      {kCaveatCopyOnWrite, "CavCopyOnWrite"},
  };
  std::string list;
  for (const auto& caveat : kCaveatKeys) {
    if (!(bits & caveat.bit)) continue;
    if (!list.empty()) list += ", ";
    list += ReportText(caveat.key);
  }
  return FormatWithArgs(ReportText("Noted"), list.c_str());
}

}  // namespace

ReportContent JobReportContent(const JobReport& report, ErrorDescriber describe) {
  ReportContent content;
  const uint64_t kept = report.kept.size() + report.keptUnlisted;
  if (report.cancelled)
    content.summary.push_back(ReportText("Stopped"));
  else if (kept > 0)
    content.summary.push_back(FormatWithArgs(ReportText("DoneKept"), CountText(kept).c_str()));
  else
    content.summary.push_back(ReportText("Done"));

  char size[100] = "";
  if (!FormatSize(static_cast<int64_t>(report.bytes), size, sizeof size)) size[0] = '\0';
  content.summary.push_back(
      FormatWithArgs(ReportText("Files"), CountText(report.files).c_str(), size));
  content.summary.push_back(
      FormatWithArgs(ReportText("Folders"), CountText(report.folders).c_str()));
  // Links are rare; a line of zero would only raise the question what they are.
  if (report.links > 0)
    content.summary.push_back(FormatWithArgs(ReportText("Links"), CountText(report.links).c_str()));
  AddFillLines(content, report.fill, report.pattern, report.verified, report.elapsedMs);

  for (const JobReport::Kept& item : report.kept)
    content.rows.push_back({item.path, KeptText(item, describe)});
  if (report.keptUnlisted > 0)
    content.rows.push_back({"...", FormatWithArgs(ReportText("KeptUnlisted"),
                                                  CountText(report.keptUnlisted).c_str())});
  for (const JobReport::Noted& item : report.caveats)
    content.rows.push_back({item.path, CaveatText(item.caveats)});
  if (report.caveatsUnlisted > 0)
    content.rows.push_back({"...", FormatWithArgs(ReportText("NotedUnlisted"),
                                                  CountText(report.caveatsUnlisted).c_str())});
  content.closesItself = report.Clean() && content.rows.empty();
  return content;
}
