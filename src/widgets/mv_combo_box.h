#pragma once
// CMVComboBox: a drop-down list whose entries can be renamed (a language
// change) without losing the user's choice.
#include <string>
#include <vector>

#include "widgets/mv_control.h"

class CMVComboBox : public CMVControl {
 public:
  // Replaces the entries; the selected position stays selected when it still
  // exists.
  void SetEntries(const std::vector<std::string>& texts) const;
  int Count() const;
  // -1 when nothing is selected.
  int Selection() const;
  void Select(int index) const;
};
