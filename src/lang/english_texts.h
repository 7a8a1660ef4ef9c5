#pragma once
// The built-in English texts: a default for every (section, key) the program
// looks up.

// Registers "Name" and "Ver" of section "Global" (fixed: no language file
// replaces them; `versionText` such as "6.0.2", null or "" for the smallest
// version) and every other default, then expands the defaults' references.
// Called once at start-up, before the active language is loaded.
void RegisterEnglishTexts(const char* versionText);

// How many texts RegisterEnglishTexts registers.
constexpr int kEnglishTextCount = 169;
