#pragma once
// Resources of the batch delete list.
#define IDD_BATCH_DELETE 133
#define IDR_BATCH_MENU 138

#define IDC_BATCH_INFO 1026
#define IDC_BATCH_LIST 1018
#define IDC_ADD_FOLDER 1019
#define IDC_REMOVE 1020
#define IDC_ADD_FILES 1021
#define IDC_REMOVE_ALL 1022
#define ID_SELECT_ALL 32780
#define ID_SELECT_NONE 32781
