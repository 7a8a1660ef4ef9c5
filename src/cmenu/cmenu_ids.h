#pragma once
// Resources of the context-menu setup panel.

#define IDD_CMENU 142
#define IDC_CMENU_INFO 1026
#define IDC_CMENU_ENABLE 1039
#define IDC_CMENU_CAPTION 1040
#define IDC_CMENU_CAPTION_LABEL 1042
