#pragma once
// Resources of the password prompt and the password setup panel.

#define IDD_SETPASS 145
#define IDD_PASSWORD 158

// Password prompt.
#define IDC_PASS_INFO 1026
#define IDC_PASS_LABEL 1042
#define IDC_PASS_EDIT 1040

// Password setup panel.
#define IDC_SETPASS_INFO 1026
#define IDC_SETPASS_REMOVE 1039
#define IDC_SETPASS_NEW 1040
#define IDC_SETPASS_CONFIRM 1041
#define IDC_SETPASS_NEW_LABEL 1042
#define IDC_SETPASS_CONFIRM_LABEL 1043
