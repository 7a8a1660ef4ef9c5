#pragma once
// The guard of the disk chooser and the disk eraser: which drive letters
// name the volume of the running Windows, its boot files or the running
// program, judged by the volume behind the letter, not by the letter.
#include <windows.h>

#include <string>

#include "disk/disk_logic.h"

// The volume a path lies on; the path may be a file or a folder.
VolumeIdentity IdentifyPath(const std::wstring& path);
// The volume a drive letter names; a substituted letter names the volume of
// the folder it stands for.
VolumeIdentity IdentifyDrive(char letter);
// The Windows, system and program volumes of this moment.
GuardedVolumes FindGuardedVolumes();
// Why the drive may not be erased, or Free.
DriveGuard GuardOf(char letter, const GuardedVolumes& guarded);
