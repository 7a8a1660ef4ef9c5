// The built-in English texts as every panel looks them up, with no language
// file loaded.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lang/english_texts.h"
#include "lang_test_support.h"

namespace {

struct Expected {
  const char* section;
  const char* key;
  const char* text;  // null: wording of our own, only checked for presence
};

const Expected kExpected[] = {
    {"Global", "Name", "Karvex"},
    {"Global", "Ver", "7.1.3"},
    {"Global", "Ready", "Ready"},
    {"Global", "Pause", "&Pause"},
    {"Global", "Paused", "Paused"},
    {"Global", "Resume", "&Resume"},
    {"Global", "Deleting", "Deleting"},
    {"Global", "OK", "&OK"},
    {"Global", "Cancel", "&Cancel"},
    {"Global", "Yes", "&Yes"},
    {"Global", "No", "&No"},
    {"Global", "More", "&More..."},
    {"Global", "TryAgain", "&Try Again"},
    {"Global", "Skip", "&Skip"},
    {"Global", "SkipAll", "Skip &All"},
    {"Global", "Prepare", "Preparing...Please wait."},
    {"Global", "PrepareInfo", "Total %1 found in %2 files."},
    {"Global", "AskCancel", "Are you sure you want to cancel the operation?"},
    {"Global", "ConfirmFile", "Are you sure you want to delete '%1'?"},
    {"Global", "ConfirmFolder",
     "Are you sure you want to delete the folder '%1' and all its contents?"},
    {"Global", "ConfirmMulti", "Are you sure you want to delete these %1 items?"},
    {"Global", "InFolder", "In Folder: %1"},
    {"Global", "ErrDelFile", "Cannot delete '%1':\r\n\r\n%2"},
    {"Global", "ErrDelFolder", "Cannot delete folder '%1':\r\n\r\n%2"},
    {"Global", "ErrGFC", "Cannot get contents of '%1':\r\n\r\n%2"},
    {"Global", "ReasonOtherNames",
     "The file has other names (hard links) outside the selection. Overwriting it would destroy "
     "the data under those names too."},
    {"Global", "ReasonOutside",
     "Its name leads outside the selected items now (through a link, or because the item or a "
     "folder above it was moved or replaced)."},
    {"Global", "ReasonNotALink",
     "The system keeps this item's data in a special form (deduplicated, compressed or held in "
     "the cloud). It cannot be overwritten in place."},
    {"Global", "ReasonChanged", nullptr},
    {"Global", "ReasonBecameLink", nullptr},
    {"Global", "ReasonVerifyFailed", nullptr},
    {"Global", "ErrRestoreName",
     "'%1' could not be deleted and cannot get its name back: it stays under a temporary name "
     "(KX...tmp) in its folder.\r\n\r\n%2"},
    {"Global", "ErrNotHandedOver",
     "%1 of the selected items cannot be destroyed: their names cannot be handed to Karvex. They "
     "are left as they are."},
    {"Global", "ErrPassNotSame", "The passwords you entered do not match."},
    {"Global", "ErrPassEmpty", "No password specified."},
    {"Menu", "Tasks", "Tasks"},
    {"Menu", "Tools", "Tools"},
    {"Menu", "Help", "Help"},
    {"Menu", "DelFile", "Delete one or more files"},
    {"Menu", "DelFolder", "Delete a folder"},
    {"Menu", "DelDrv", "Erase a disk"},
    {"Menu", "WipeFree", "Wipe free space"},
    {"Menu", "DelAll", "Batch Delete"},
    {"Menu", "CMenu", "Setup context menu"},
    {"Menu", "Password", "Setup password"},
    {"Menu", "Language", "Change language"},
    {"Menu", "Options", "Advanced options"},
    {"Menu", "About", "About Karvex"},
    {"Menu", "HelpContent", "Help"},
    {"Menu", "DelFileInfo", "Choose one or more files to delete them with Karvex"},
    {"Menu", "DelFolderInfo", "Choose a folder to delete it with Karvex"},
    {"Menu", "DelDrvInfo", "Erase the contents of a disk or partition"},
    {"Menu", "WipeFreeInfo", "Overwrite what deleted files left in the free space of a drive"},
    {"Menu", "DelAllInfo", "Allows you to delete files and folders freely"},
    {"Menu", "CMenuInfo", "Enable or disable the context menu in Windows Explorer"},
    {"Menu", "PasswordInfo", "Set a password to protect the software and delete operations"},
    {"Welcome", "Title", "Welcome"},
    {"Welcome", "Info",
     "Welcome to Karvex.\r\n\r\nTo delete files, folders, or erase disks, click an item in Tasks "
     "group."},
    {"Welcome", "CMenuTip1",
     "Enable context menu feature, so that you can delete files/folders in Windows Explorer "
     "directly."},
    {"Welcome", "CMenuTip2",
     "Normally you do not need to launch this main program. You can right-click on files, folders "
     "in Windows Explorer and choose the context menu to delete them directly with Karvex."},
    {"SetupCMenu", "Info",
     "Setup context menu in Windows Explorer.\r\n\r\nNormally we do not need to launch the main "
     "program, instead, we enable the context menu so that we can delete files, folders by using "
     "the context menu in Windows Explorer directly."},
    {"SetupCMenu", "Info2", "Context Menu Caption:"},
    {"SetupCMenu", "Enable", "Enable Context Menu (Highly Recommended)."},
    {"SetupPass", "Info", "Setup a password to protect Karvex and the delete operations."},
    {"SetupPass", "Info2", "Enter New Password:"},
    {"SetupPass", "Info3", "Confirm New Password:"},
    {"SetupPass", "RemovePass", "I want to remove the password protection."},
    {"OptionsDlg", "Enable",
     "I know the meaning of the advanced options and I want to change these options."},
    {"OptionsDlg", "UpdateTitle", "Update Information"},
    {"OptionsDlg", "UpdateInfo",
     "Time period to update the information on deleting progress windows. (ms, 1/1000 sec.):"},
    {"OptionsDlg", "FillTitle", "Fill"},
    {"OptionsDlg", "FillInfo", "What to fill in when erases files:"},
    {"OptionsDlg", "FillOption1", "Default (0xFE)"},
    {"OptionsDlg", "FillOption2", "Zero (0)"},
    {"OptionsDlg", "FillOption3", "Custom String"},
    {"OptionsDlg", "FillOption4", nullptr},
    {"OptionsDlg", "SkipErr", "Default to skip all errors during deleting."},
    {"OptionsDlg", "Verify", nullptr},
    {"AboutDlg", "Ver", "Version 7.1.3"},
    {"AboutDlg", "Law", nullptr},
    {"PasswordDlg", "Title", "Need Password - Karvex"},
    {"PasswordDlg", "Info",
     "Karvex has been password protected, please enter the password to continue."},
    {"PasswordDlg", "Info2", "Enter Password:"},
    {"PasswordDlg", "ErrTryAgain", "The password you entered is incorrect, please try again."},
    {"Confirm", "Title", "Confirm Delete - Karvex"},
    {"DeleteDlg", "Title", "Karvex"},
    {"DeleteDlg", "Info",
     "Please add files, folders to the list, and click &Start to delete them:"},
    {"DeleteDlg", "AddFile", "Add &Files..."},
    {"DeleteDlg", "AddFolder", "Add F&older..."},
    {"DeleteDlg", "Remove", "&Remove"},
    {"DeleteDlg", "RemoveAll", "Remove &All"},
    {"DeleteDlg", "SelectAll", "&Select All"},
    {"DeleteDlg", "SelectNone", "Select &None"},
    {"DeleteDlg", "Start", "&Start"},
    {"DeleteDlg", "NotListed", "Not added, already in the list or inside a listed folder: %1"},
    {"DeleteDlg", "NotLong", "Not added, the path is longer than 260 characters: %1"},
    {"DeleteDlg", "NotVirtual", "Not added, the folder has no path on disk: %1"},
    {"DeleteDlg", "NotExact",
     "Not added, the name has characters outside the system's code page: %1"},
    {"DeleteDlg", "TooMany",
     "Too many files were chosen at once, so none was added. Please choose fewer."},
    {"MsgDlg", "Title", "Error - Karvex"},
    {"EraseDisk", "Title", "Erase Disk"},
    {"EraseDisk", "InfoTitle", "Disk Information"},
    {"EraseDisk", "NoDisk", "[NO DISK SELECTED]"},
    {"EraseDisk", "Step1", "Choose a disk"},
    {"EraseDisk", "Step2", "Gathering disk information"},
    {"EraseDisk", "Step3", "Confirm"},
    {"EraseDisk", "Step4", "Erasing disk contents"},
    {"EraseDisk", "Step5", "Formatting disk"},
    {"EraseDisk", "Confirm",
     "Are you sure you want to erase the following disk?\r\n\r\n%1\r\n\r\n<<CAUTION>>\r\n\r\nAll "
     "data will be lost!"},
    {"EraseDisk", "Err", "The operation can not be performed.\r\n\r\n%1"},
    {"EraseDisk", "NoSystemDisk", "The disk %1 can not be erased: it holds the running Windows."},
    {"EraseDisk", "NoBootDisk",
     "The disk %1 can not be erased: it holds the files that start Windows."},
    {"EraseDisk", "NoProgramDisk", "The disk %1 can not be erased: it holds the running Karvex."},
    {"WipeFree", "Title", "Wipe Free Space"},
    {"WipeFree", "Drive", "%1\r\nFree space: %2"},
    {"WipeFree", "Confirm",
     "Are you sure you want to wipe the free space of the following drive?\r\n\r\n%1\r\nFree "
     "space: %2\r\n\r\nThe drive is full for a while; its files are not touched."},
    {"WipeFree", "Written", "Written: %1 of %2"},
    {"ChooseDisk", "Title", "Choose Disk"},
    {"ChooseDisk", "Info", "Choose a disk:"},
    {"Report", "Title", "Report"},
    {"Report", "Copy", "&Copy"},
    {"Report", "Save", "&Save..."},
    {"Report", "Close", "Cl&ose"},
    {"Report", "ColItem", "Item"},
    {"Report", "ColWhat", "What happened"},
    {"Report", "Done", "Everything you chose was destroyed."},
    {"Report", "DoneKept", "Done, but %1 of the items stayed in place: they are listed below."},
    {"Report", "Stopped",
     "The job was stopped before its end: what it had not reached yet is still in place."},
    {"Report", "Files", "Files destroyed: %1 (%2 overwritten)"},
    {"Report", "Folders", "Folders removed: %1"},
    {"Report", "Links", "Links removed (what they led to was not touched): %1"},
    {"Report", "Fill", "Fill: %1"},
    {"Report", "FillRandom", "random data"},
    {"Report", "FillZeros", "zeros"},
    {"Report", "FillPattern", "the pattern %1"},
    {"Report", "Verified", "Read back and compared after writing: yes"},
    {"Report", "NotVerified", "Read back and compared after writing: no"},
    {"Report", "Time", "Time taken: %1"},
    {"Report", "KeptSkipped", "Kept: skipped after an error: %1"},
    {"Report", "ErrorCode", "error %1"},
    {"Report", "KeptHeld", "Kept: held by another program"},
    {"Report", "KeptOutside",
     "Kept: its name leads out of the selection, or it changed since it was confirmed"},
    {"Report", "KeptOtherNames",
     "Kept: its contents have other names (hard links) outside the selection"},
    {"Report", "KeptNotSupported", "Kept: the file system cannot do what destroying it takes"},
    {"Report", "KeptVerifyFailed", "Kept: read back, it did not hold what had been written"},
    {"Report", "KeptUnlisted", "%1 more items kept, not listed"},
    {"Report", "Noted",
     "Destroyed; the file system may still keep earlier contents elsewhere (%1)"},
    {"Report", "NotedUnlisted", "%1 more destroyed items with notes, not listed"},
    {"Report", "CavCompressed", "compressed"},
    {"Report", "CavEncrypted", "encrypted"},
    {"Report", "CavSparse", "sparse"},
    {"Report", "CavSnapshots", "shadow copies"},
    {"Report", "CavCopyOnWrite", "copy-on-write volume"},
    {"Report", "CopyFailed", "The report could not be put on the clipboard."},
    {"Report", "SaveFailed", "The report could not be saved as '%1'.\r\n\r\n%2"},
    {"Report", "FileName", "report.txt"},
    {"Report", "TextFiles", "Text files"},
    {"Report", "Volume", "Volume: %1"},
    {"Report", "Size", "Size: %1"},
    {"Report", "FailedBlocks", "Failed writes: %1"},
    {"Report", "DiskErased", "The disk was overwritten from its first byte to its last."},
    {"Report", "DiskStopped",
     "The erase was stopped: %1 of %2 were overwritten, the rest still holds its data."},
    {"Report", "DiskFailed",
     "The erase failed: %1 of %2 were overwritten, the rest still holds its data."},
    {"Report", "WipeDone", "The free space was overwritten: %1 written (%2 were free)."},
    {"Report", "WipeStopped",
     "The wipe was stopped: %1 of %2 of free space were overwritten, the rest still holds what "
     "was there."},
    {"Report", "WipeFailed",
     "The wipe failed: %1 of %2 of free space were overwritten, the rest still holds what was "
     "there."},
    {"Report", "WipeFree", "Free space: %1"},
    {"Report", "WipeFiles", "Files made: %1, removed: %2"},
    {"Report", "WipeLeft",
     "Not everything the wipe made could be removed: a hidden folder KX...tmp stays at the "
     "drive's root."},
};

TEST(EnglishTexts, EveryDefaultLooksUpExpanded) {
  TextStore().Reset();
  RegisterEnglishTexts("7.1.3");
  ASSERT_EQ(sizeof(kExpected) / sizeof(kExpected[0]), size_t(kEnglishTextCount));
  for (const Expected& row : kExpected) {
    const char* text = TextStore().GetText(row.key, row.section);
    ASSERT_NE(text, nullptr) << row.section << "." << row.key;
    if (row.text != nullptr) {
      EXPECT_STREQ(text, row.text) << row.section << "." << row.key;
    } else {
      EXPECT_GT(std::strlen(text), 20u);
      EXPECT_EQ(std::strchr(text, '%'), nullptr);
    }
  }
  // Lookups ignore letter case and treat a missing section as "Global".
  EXPECT_STREQ(TextStore().GetText("skipall", nullptr), "Skip &All");

  // A language file translates the two "Help" texts apart.
  LoadFromMemory(TextStore(), "[Menu]\nHelp=Hilfe\nHelpContent=Inhalt\n");
  EXPECT_EQ(TextOf(TextStore(), "Help", "Menu"), "Hilfe");
  EXPECT_EQ(TextOf(TextStore(), "HelpContent", "Menu"), "Inhalt");
  TextStore().Reset();
}

TEST(EnglishTexts, MissingVersionShowsTheSmallestOne) {
  TextStore().Reset();
  RegisterEnglishTexts(nullptr);
  EXPECT_EQ(TextOf(TextStore(), "Ver", "AboutDlg"), "Version 6.0.2");
  TextStore().Reset();
}

}  // namespace
