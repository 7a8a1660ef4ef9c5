#pragma once
// The folder test, which must see the real system folders from a 32-bit
// process on 64-bit Windows.
#include <windows.h>

#include <string>

// True when path names an existing directory. File-system redirection is off
// for the one attribute query and back on afterwards.
bool IsFolder(const char* path);

// Switches file-system redirection off for its lifetime. Does nothing (and
// reverts nothing) when the process is not a 32-bit process on 64-bit
// Windows or the system lacks the functions.
class Wow64RedirectionOff {
 public:
  Wow64RedirectionOff();
  ~Wow64RedirectionOff();
  Wow64RedirectionOff(const Wow64RedirectionOff&) = delete;
  Wow64RedirectionOff& operator=(const Wow64RedirectionOff&) = delete;
  // Whether redirection was switched off by this object.
  bool Active() const { return active_; }

 private:
  PVOID old_ = nullptr;
  bool active_ = false;
};

// The name under which the engine reaches the item that a system dialog of
// this process showed as shown: on 64-bit Windows a 32-bit process's dialogs
// see SysWOW64 as System32 (see UnredirectedPath); elsewhere shown itself.
std::string UnredirectedName(const char* shown);

// Whether this is a 32-bit process on 64-bit Windows (asked once, cached).
bool IsWow64();
