#pragma once
// Resources of the disk chooser and the disk eraser.
#define IDD_CHOOSE_DISK 155
#define IDD_ERASE_DISK 156
#define IDD_WIPE_FREE 157
#define IDI_STEP_DONE 155     // the tick beside finished steps
#define IDI_STEP_CURRENT 156  // the arrow beside the step in progress

// Shared by both dialogs: the chooser's label, the eraser's disk text.
#define IDC_DISK_TEXT 1026
#define IDC_DRIVE_LIST 1061
#define IDC_ERASE_PAUSE 1007
#define IDC_ERASE_PROGRESS 1008
#define IDC_DISK_GROUP 1063
// The wipe: what has been written of the free space.
#define IDC_WIPE_STATUS 1064
