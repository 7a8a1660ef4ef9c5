#pragma once
// When the context-menu setup panel lets the user press OK.
#include "base/context_menu_state.h"

// OK is offered only when pressing it would change something (the tick or the
// caption differs from the stored state), never while the menu is off and
// stays off, and never for an empty caption of a menu that is to be on.
bool CMenuOkEnabled(const ContextMenuState& state, bool ticked, const char* caption);

// The caption as it will be stored: at most 127 bytes, never ending in the
// first half of a double-byte character.
using CaptionLeadByteTest = bool (*)(unsigned char byte);
void CopyMenuCaption(char (&target)[128], const char* text, CaptionLeadByteTest isLeadByte);
