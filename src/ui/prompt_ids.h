#pragma once
// Resources of the confirmation and error prompts.
#define IDD_CONFIRM 134
#define IDD_ERROR_PROMPT 135
#define IDI_ERROR_PROMPT 135

#define IDC_MORE 1023
#define IDC_PROMPT_TEXT 1026
#define IDC_CONFIRM_ICON 1029
#define IDC_SKIP 1030
#define IDC_SKIP_ALL 1031
#define IDC_TRY_AGAIN 1032
