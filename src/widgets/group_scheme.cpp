#include "widgets/group_scheme.h"

#include <utility>

namespace {

struct SchemeRow {
  uint32_t headerStart, headerEnd, captionNormal, captionHot, body, border;
};

constexpr SchemeRow kSchemes[kGroupSchemeCount] = {
    {0xFFFFFF, 0xF7D3C6, 0xC65D21, 0xFF8E69, 0xF7DFD6, 0xFFFFFF},
    {0xECFCFF, 0xB8E7E0, 0x2D6656, 0x1D928C, 0xECF6F6, 0xFFFFFF},
    {0xFFFFFF, 0xE0D7D6, 0x3D3D3F, 0x7C7C7E, 0xF5F1F0, 0xFFFFFF},
    {0xCCFFFF, 0x78FFFF, 0x333333, 0x333333, 0xCCFFFF, 0x999999},
    {0xF5DCD2, 0xB24802, 0xFFFFFF, 0xFFFFFF, 0xF7DFD6, 0xFFFFFF},
    {0xFCE1CB, 0xE0A67D, 0x333333, 0x333333, 0xFFFFFF, 0x962D00},
    {0xCFF0EA, 0x8CC0B1, 0x333333, 0x333333, 0xFFFFFF, 0x588060},
    {0xECE2E1, 0xB29395, 0x333333, 0x333333, 0xFFFFFF, 0x947C7C},
    {0x94E6FB, 0x1595EE, 0x333333, 0x333333, 0xFFFFFF, 0x962D00},
};

}  // namespace

bool GroupSchemeColours(int scheme, int direction, GroupColours& c) {
  if (scheme < 0 || scheme >= kGroupSchemeCount) return false;
  const SchemeRow& row = kSchemes[scheme];
  c.headerStart = row.headerStart;
  c.headerEnd = row.headerEnd;
  c.captionNormal = row.captionNormal;
  c.captionHot = row.captionHot;
  c.arrowNormal = row.captionNormal;
  c.arrowHot = row.captionHot;
  c.itemNormal = row.captionNormal;
  c.itemHot = row.captionHot;
  c.body = row.body;
  c.border = row.border;
  // Schemes whose dark end would sit at the left when drawn sideways.
  if ((scheme == 4 || scheme == 8) && direction == 0) std::swap(c.headerStart, c.headerEnd);
  if (scheme == 4) c.itemNormal = c.itemHot = 0x000000;
  if (scheme == 6) c.arrowNormal = 0x000000;
  return true;
}

uint32_t GradientColour(uint32_t start, uint32_t end, int i, int n) {
  if (n <= 1 || i <= 0) return start;
  if (i >= n - 1) return end;
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    int a = static_cast<int>((start >> shift) & 0xFF);
    int b = static_cast<int>((end >> shift) & 0xFF);
    int v = a + (b - a) * i / (n - 1);
    out |= static_cast<uint32_t>(v) << shift;
  }
  return out;
}
