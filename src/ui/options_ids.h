#pragma once
// Resources of the advanced options panel.

#define IDD_OPTIONS 144
#define IDC_OPT_SKIP 1039
#define IDC_OPT_PERIOD 1041
#define IDC_OPT_FILL_INFO 1042
#define IDC_OPT_PERIOD_SPIN 1048
#define IDC_OPT_CUSTOM 1051
#define IDC_OPT_FILL_GROUP 1052
#define IDC_OPT_PERIOD_INFO 1053
#define IDC_OPT_PERIOD_GROUP 1054
#define IDC_OPT_ENABLE 1070
#define IDC_OPT_FILL 1071
#define IDC_OPT_VERIFY 1072
