#pragma once
// Resources of the language chooser panel.

#define IDD_LANG 154
#define IDC_LANG_LIST 1018
