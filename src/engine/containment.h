#pragma once
// Whether what a handle reached lies inside the item being destroyed. The
// item's place is taken once, as its folder's final path and the name the
// folder lists for it; a handle lies inside when its own final path is that
// place or below it, compared exactly as the names are stored. A looser
// comparison would let "Sel\precious.bin" pass for part of a selected "sel"
// in a folder that tells letter cases apart.
#include <windows.h>

#include <string>

#include "engine/chosen_identity.h"
#include "engine/delete_job.h"

class SelectionAnchor {
 public:
  // Takes the place of the item at path (a selected item, or the path
  // itself when a single file or folder is destroyed on its own).
  void Take(const char* path);
  void Clear();
  bool Taken() const { return taken_; }
  // ERROR_SUCCESS when the handle's final path lies inside the item, else
  // the reason; where (when given) gets that final path, or stays empty when
  // the system could not give it in full.
  DWORD Check(HANDLE handle, std::wstring* where = nullptr) const;
  // Check for the handle of the item that name (its long form) named; the
  // handle must also bear exactly that name (or the long form of a short
  // one). A file system that tells cases apart may open a case twin when
  // the named item is gone, and that one is another item.
  DWORD CheckNamed(HANDLE handle, const std::wstring& name, std::wstring* where = nullptr) const;
  // The item and its folder as they were when the place was taken; zeros
  // for what could not be opened.
  const ChosenIdentity& Identity() const { return identity_; }

 private:
  // Check for a handle whose final path the system cannot give in full
  // (Wine, near the path limit): its volume and its path on the volume.
  DWORD CheckOnVolume(HANDLE handle, DWORD finalPathError) const;

  bool taken_ = false;
  // The final path of the item; empty when it could not be had (error_ says
  // why).
  std::wstring anchor_;
  DWORD error_ = ERROR_SUCCESS;
  // The serial number of the volume the anchor lies on; 0 when unknown.
  DWORD volume_ = 0;
  ChosenIdentity identity_;
};

// Records what every top-level item of the job is now, for the job to
// compare before its walk and its first write (see ChosenIdentity);
// keepTaken leaves the items recorded before as they were.
void TakeChosenIdentities(DeleteJob& job, bool keepTaken = false);
// ERROR_SUCCESS when the top-level item at path is still what it was when
// confirmed (or nobody recorded it), else kReasonChanged: its folder or the
// item itself is another one now.
DWORD CheckChosen(const DeleteJob& job, const char* path, const ChosenIdentity& now);
