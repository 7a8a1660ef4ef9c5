#pragma once
// Resources of the main window and of the welcome, tip and about panels.

#define IDD_MAIN 102
#define IDR_COMMANDS 128  // the command table (a menu that is never shown)
#define IDD_WELCOME 143
#define IDD_ABOUT 146
#define IDD_TIP 153

// Icons of the task-panel items (the application icon 128 is the core's).
#define IDI_FOLDER 136
#define IDI_FILE 137
#define IDI_OPTIONS 147
#define IDI_HELP 148
#define IDI_ABOUT 149
#define IDI_PASSWORD 150
#define IDI_CMENU 151
#define IDI_DISK 152
#define IDI_LANGUAGE 154
#define IDI_WIPE 159

// Commands of the task panel.
#define ID_DELETE_FILES 32771
#define ID_DELETE_FOLDER 32772
#define ID_OPTIONS 32774
#define ID_HELP_CONTENT 32775
#define ID_ABOUT 32776
#define ID_ERASE_DISK 32777
#define ID_BATCH_DELETE 32778
#define ID_CONTEXT_MENU 32779
#define ID_PASSWORD 32783
#define ID_LANGUAGE 32784
#define ID_WEB 32787
#define ID_WIPE_FREE 32788

// Welcome panel.
#define IDC_WELCOME_TEXT 1026

// About panel.
#define IDC_ABOUT_NAME 1043
#define IDC_ABOUT_VERSION 1055
#define IDC_ABOUT_MAKER 1056
#define IDC_ABOUT_LAW 1057
#define IDC_ABOUT_LINK 1058
