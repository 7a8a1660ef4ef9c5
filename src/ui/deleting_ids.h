#pragma once
// Resources of the progress window.
#define IDD_DELETING 130
#define IDR_SHRED_AVI 158  // the animation clip

#define IDC_PAUSE 1007
#define IDC_PROGRESS 1008
#define IDC_FILE_LABEL 1010
#define IDC_FOLDER_LABEL 1011
#define IDC_ANIMATION 1034
