#pragma once
// Resources of the report window at the end of a job or an erase.
#define IDD_REPORT 160

#define IDC_REPORT_SUMMARY 1080
#define IDC_REPORT_LIST 1081
#define IDC_REPORT_COPY 1082
#define IDC_REPORT_SAVE 1083
