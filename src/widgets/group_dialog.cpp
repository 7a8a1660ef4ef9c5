#include "widgets/group_dialog.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "framework/module.h"
#include "widgets/memory_template.h"
#include "widgets/task_panel_math.h"

namespace {

// Every group is made from the same template; its size is only the starting
// point, the group's height follows its children.
const DLGTEMPLATE* GroupTemplate() {
  static const kx::ChildDialogTemplate group(130, 40);
  return group.Get();
}

constexpr unsigned kSeparatorCommand = 0xFFFF;
constexpr int kItemImageWidth = 22;
constexpr int kItemImageHeight = 20;
constexpr int kBodyMargin = 5;

bool Clickable(unsigned command) { return command != 0 && command != kSeparatorCommand; }

SIZE ClientSize(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return {r.right, r.bottom};
}

// The group's outline: rounded corners of 5 x 5 where the flag is set,
// square elsewhere, inset by `inset` pixels.
HRGN GroupRegion(int width, int height, const bool corners[4], int inset) {
  HRGN region = CreateRoundRectRgn(inset, inset, width + 1 - inset, height + 1 - inset, 5, 5);
  const POINT squares[4] = {{inset, inset},
                            {width - 10 - inset, inset},
                            {inset, height - 10 - inset},
                            {width - 10 - inset, height - 10 - inset}};
  for (int i = 0; i < 4; ++i) {
    if (corners[i]) continue;
    kx::GdiObject square(CreateRectRgn(squares[i].x, squares[i].y, squares[i].x + 10, squares[i].y + 10));
    CombineRgn(region, region, static_cast<HRGN>(square.Get()), RGN_OR);
  }
  return region;
}

void FillSolid(HDC dc, int x, int y, int cx, int cy, COLORREF colour) {
  SetDCBrushColor(dc, colour);
  PatBlt(dc, x, y, cx, cy, PATCOPY);
}

HFONT FontVariant(HFONT base, int weight, bool underline, bool italic) {
  LOGFONTA lf{};
  GetObjectA(base ? base : GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  if (weight >= 0) lf.lfWeight = weight;
  lf.lfUnderline = underline ? TRUE : FALSE;
  lf.lfItalic = italic ? TRUE : FALSE;
  return CreateFontIndirectA(&lf);
}

}  // namespace

UINT GroupRestackMessage() {
  static const UINT message = RegisterWindowMessageA("WM_MVGD_POSCHANGING");
  return message;
}

// ---------------------------------------------------------------------------
// CMVGroupDialog

CMVGroupDialog::CMVGroupDialog()
    : kx::Dialog(GroupTemplate()),
      hand_(LoadCursor(nullptr, IDC_HAND)),
      restackMessage_(GroupRestackMessage()) {
  GroupSchemeColours(5, 0, colours_);
}

// The window goes before the fonts it draws with.
CMVGroupDialog::~CMVGroupDialog() { Destroy(); }

void CMVGroupDialog::SetScheme(int scheme, int direction) {
  if (GroupSchemeColours(scheme, direction, colours_)) direction_ = direction;
  OnColoursChanged();
  if (IsWindow()) InvalidateRect(hwnd_, nullptr, FALSE);
}

void CMVGroupDialog::SetCaption(const char* caption) {
  caption_ = caption ? caption : "";
  if (IsWindow()) InvalidateHeader();
}

void CMVGroupDialog::SetCorners(bool topLeft, bool topRight, bool bottomLeft, bool bottomRight) {
  corners_[0] = topLeft;
  corners_[1] = topRight;
  corners_[2] = bottomLeft;
  corners_[3] = bottomRight;
  if (IsWindow()) UpdateRegion();
}

bool CMVGroupDialog::OnInit() {
  expanded_ = true;
  hot_ = false;
  HFONT dialogFont = reinterpret_cast<HFONT>(Send(WM_GETFONT));
  headerFont_.Reset(FontVariant(dialogFont, FW_BOLD, false, false));
  if (kx::WindowDC dc(hwnd_); dc) {
    kx::SelectGuard font(dc.Get(), headerFont_.Get());
    TEXTMETRICA tm{};
    if (GetTextMetricsA(dc.Get(), &tm)) headerHeight_ = taskpanel::HeaderHeight(tm.tmHeight);
  }
  LayoutChildren();
  UpdateRegion();
  RECT r{};
  GetWindowRect(hwnd_, &r);
  fullHeight_ = r.bottom - r.top;
  return false;  // a group never takes the focus
}

void CMVGroupDialog::LayoutChildren() {
  HWND first = GetWindow(hwnd_, GW_CHILD);
  if (!first) return;
  int top = INT_MAX;
  for (HWND child = first; child; child = GetWindow(child, GW_HWNDNEXT))
    top = std::min(top, static_cast<int>(kx::RectInParent(child).top));
  const int shift = headerHeight_ + kBodyMargin - top;
  int bottom = 0;
  for (HWND child = first; child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r = kx::RectInParent(child);
    if (shift != 0)
      SetWindowPos(child, nullptr, r.left, r.top + shift, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    bottom = std::max(bottom, static_cast<int>(r.bottom + shift));
  }
  fullHeight_ = bottom + 10;
  if (expanded_) {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, fullHeight_,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CMVGroupDialog::UpdateRegion() {
  SIZE size = ClientSize(hwnd_);
  SetWindowRgn(hwnd_, GroupRegion(size.cx, size.cy, corners_, 0), TRUE);
}

void CMVGroupDialog::Toggle(bool animate) {
  if (!IsWindow()) return;
  RECT r{};
  GetWindowRect(hwnd_, &r);
  const int width = r.right - r.left;
  const auto heights = taskpanel::ToggleHeights(fullHeight_, headerHeight_, !expanded_, animate);
  for (size_t i = 0; i < heights.size(); ++i) {
    SetWindowPos(hwnd_, nullptr, 0, 0, width, heights[i], SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (i + 1 < heights.size()) Sleep(1);
  }
  expanded_ = !expanded_;
  SIZE size = ClientSize(hwnd_);
  RECT arrow{size.cx - (headerHeight_ + 10), 0, size.cx, headerHeight_};
  InvalidateRect(hwnd_, &arrow, FALSE);
}

void CMVGroupDialog::SetHot(bool hot) {
  if (hot_ == hot) return;
  hot_ = hot;
  InvalidateHeader();
}

void CMVGroupDialog::InvalidateHeader() {
  SIZE size = ClientSize(hwnd_);
  RECT header{0, 0, size.cx, headerHeight_};
  InvalidateRect(hwnd_, &header, FALSE);
}

void CMVGroupDialog::Restack(WPARAM gap, HWND moved) {
  if (!::IsWindow(moved)) return;
  HWND previous = GetWindow(hwnd_, GW_HWNDPREV);
  if (!previous) return;
  RECT mine{}, theirs{};
  GetWindowRect(hwnd_, &mine);
  GetWindowRect(previous, &theirs);
  if (mine.left == theirs.left && mine.right == theirs.right) {
    RECT prev = kx::RectInParent(previous);
    RECT self = kx::RectInParent(hwnd_);
    const int top = prev.bottom + static_cast<int>(gap);
    if (self.top != top) {
      SetWindowPos(hwnd_, nullptr, self.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      InvalidateRect(hwnd_, nullptr, FALSE);
    } else if (HWND next = GetWindow(hwnd_, GW_HWNDNEXT)) {
      // In place already: the groups below may still have to follow.
      SendMessageA(next, restackMessage_, gap_, reinterpret_cast<LPARAM>(hwnd_));
    }
  } else if (HWND next = GetWindow(hwnd_, GW_HWNDNEXT)) {
    SendMessageA(next, restackMessage_, gap, reinterpret_cast<LPARAM>(moved));
  }
}

void CMVGroupDialog::Paint(HDC target) {
  const SIZE size = ClientSize(hwnd_);
  if (size.cx <= 0 || size.cy <= 0) return;
  kx::MemoryDC memory(CreateCompatibleDC(target));
  HDC dc = memory.Get();
  kx::GdiObject bitmap(CreateCompatibleBitmap(target, size.cx, size.cy));
  {
    kx::SelectGuard bitmapGuard(dc, bitmap.Get());
    kx::SelectGuard brushGuard(dc, GetStockObject(DC_BRUSH));
    const int h = headerHeight_;

    // The outline is what stays of the border colour around the inner region.
    kx::GdiObject outer(GroupRegion(size.cx, size.cy, corners_, 0));
    kx::GdiObject inner(GroupRegion(size.cx, size.cy, corners_, 1));
    FillSolid(dc, 0, 0, size.cx, size.cy, colours_.border);
    SelectClipRgn(dc, static_cast<HRGN>(inner.Get()));

    FillSolid(dc, 0, h, size.cx, size.cy - h, colours_.body);
    if (direction_ == 0) {
      for (int x = 0; x < size.cx; ++x)
        FillSolid(dc, x, 0, 1, h, GradientColour(colours_.headerStart, colours_.headerEnd, x, size.cx));
    } else {
      for (int y = 0; y < h; ++y)
        FillSolid(dc, 0, y, size.cx, 1, GradientColour(colours_.headerStart, colours_.headerEnd, y, h));
    }
    SelectClipRgn(dc, nullptr);
    FillSolid(dc, 0, h - 1, size.cx, 1, colours_.border);

    {
      kx::SelectGuard fontGuard(dc, headerFont_.Get());
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, hot_ ? colours_.captionHot : colours_.captionNormal);
      RECT text{10, 0, taskpanel::CaptionRight(size.cx, h, Collapsible()), h};
      DrawTextA(dc, caption_.c_str(), -1, &text,
                DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | DT_LEFT);
    }
    if (Collapsible()) {
      const COLORREF arrow = hot_ ? colours_.arrowHot : colours_.arrowNormal;
      for (const auto& run : taskpanel::ArrowRuns(size.cx, h, expanded_))
        FillSolid(dc, run.x, run.y, run.length, 1, arrow);
    }
    BitBlt(target, 0, 0, size.cx, size.cy, dc, 0, 0, SRCCOPY);
  }
}

bool CMVGroupDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == restackMessage_ && restackMessage_ != 0) {
    Restack(wp, reinterpret_cast<HWND>(lp));
    return true;
  }
  if (kx::PaintsOwnBackground(hwnd_, msg, result, [this](HDC dc) { Paint(dc); })) return true;
  switch (msg) {
    case WM_SIZE:
      UpdateRegion();
      OnSized();
      if (HWND next = GetWindow(hwnd_, GW_HWNDNEXT))
        SendMessageA(next, restackMessage_, gap_, reinterpret_cast<LPARAM>(hwnd_));
      if (HWND parent = GetParent(hwnd_))
        SendMessageA(parent, restackMessage_, gap_, reinterpret_cast<LPARAM>(hwnd_));
      return false;
    case WM_MOVE:
      if (HWND next = GetWindow(hwnd_, GW_HWNDNEXT))
        SendMessageA(next, restackMessage_, gap_, reinterpret_cast<LPARAM>(hwnd_));
      return false;
    case WM_SETCURSOR: {
      POINT pt{};
      GetCursorPos(&pt);
      ScreenToClient(hwnd_, &pt);
      if (LOWORD(lp) == HTCLIENT && Collapsible() && OverHeader(pt.y)) {
        SetCursor(hand_);
        result = TRUE;
        return true;
      }
      return false;
    }
    case WM_MOUSEMOVE: {
      if (colours_.captionNormal == colours_.captionHot) return false;
      const bool over = OverHeader(GET_Y_LPARAM(lp));
      if (over && !tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
        tracking_ = TrackMouseEvent(&track) != FALSE;
      }
      SetHot(over);
      return false;
    }
    case WM_MOUSELEAVE:
      tracking_ = false;
      SetHot(false);
      return false;
    case WM_LBUTTONUP:
      if (Collapsible() && OverHeader(GET_Y_LPARAM(lp))) Toggle(true);
      return true;
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------
// CMVGroupListDialog

CMVGroupListDialog::~CMVGroupListDialog() {
  Destroy();
}

bool CMVGroupListDialog::CreateGroup(HWND owner, HWND parent) {
  if (!Create(parent)) return false;
  owner_ = owner ? owner : parent;
  const SIZE size = ClientSize(hwnd_);
  list_ = CreateWindowExA(0, WC_LISTVIEWA, "",
                          WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_NOCOLUMNHEADER |
                              LVS_NOSCROLL | LVS_SHAREIMAGELISTS,
                          kBodyMargin, HeaderHeight() + kBodyMargin, size.cx - 2 * kBodyMargin,
                          std::max(0L, size.cy - HeaderHeight() - 2L * kBodyMargin), hwnd_, nullptr,
                          kx::ModuleInstance(), nullptr);
  if (!list_) return false;
  SendMessageA(list_, WM_SETFONT, Send(WM_GETFONT), FALSE);
  SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_ONECLICKACTIVATE | LVS_EX_UNDERLINEHOT | LVS_EX_LABELTIP);
  OnColoursChanged();
  images_.Reset(ImageList_Create(kItemImageWidth, kItemImageHeight, ILC_COLOR32 | ILC_MASK, 0, 1));
  SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_.Get()));
  RECT client{};
  GetClientRect(list_, &client);
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH | LVCF_FMT;
  column.fmt = LVCFMT_LEFT;
  column.cx = client.right;
  SendMessageA(list_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  SetWindowSubclass(list_, ListProc, 1, reinterpret_cast<DWORD_PTR>(this));
  return true;
}

bool CMVGroupListDialog::AddItem(const char* caption, unsigned command, UINT iconId) {
  if (!list_) return false;
  const COLORREF body = Colours().body;
  kx::MemoryDC memory;
  kx::GdiObject colour;
  {
    kx::WindowDC screen(nullptr);
    memory.Reset(CreateCompatibleDC(screen.Get()));
    colour.Reset(CreateCompatibleBitmap(screen.Get(), kItemImageWidth, kItemImageHeight));
  }
  kx::GdiObject mask(CreateBitmap(kItemImageWidth, kItemImageHeight, 1, 1, nullptr));
  HDC dc = memory.Get();
  kx::IconHandle icon;
  if (iconId != 0) {
    icon.Reset(static_cast<HICON>(
        LoadImageA(kx::ModuleInstance(), MAKEINTRESOURCEA(iconId), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
  }
  {
    kx::SelectGuard brush(dc, GetStockObject(DC_BRUSH));
    {
      kx::SelectGuard select(dc, colour.Get());
      FillSolid(dc, 0, 0, kItemImageWidth, kItemImageHeight, body);
      if (icon) DrawIconEx(dc, 0, 2, icon.Get(), 16, 16, 0, nullptr, DI_NORMAL);
    }
    {
      kx::SelectGuard select(dc, mask.Get());
      PatBlt(dc, 0, 0, kItemImageWidth, kItemImageHeight, WHITENESS);
      if (icon) DrawIconEx(dc, 0, 2, icon.Get(), 16, 16, 0, nullptr, DI_MASK);
    }
  }
  memory.Reset();
  const int image = ImageList_Add(images_.Get(), static_cast<HBITMAP>(colour.Get()),
                                  static_cast<HBITMAP>(mask.Get()));

  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = ItemCount();
  item.pszText = const_cast<char*>(caption ? caption : "");
  item.iImage = image;
  item.lParam = static_cast<LPARAM>(command);
  if (SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) < 0) return false;
  FitListToItems();
  LayoutChildren();
  InvalidateRect(hwnd_, nullptr, FALSE);
  return true;
}

void CMVGroupListDialog::FitListToItems() {
  const int count = ItemCount();
  int height = 0;
  if (count > 0) {
    RECT last{};
    last.left = LVIR_BOUNDS;
    SendMessageA(list_, LVM_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&last));
    height = last.bottom;
  }
  RECT window{}, client{};
  GetWindowRect(list_, &window);
  GetClientRect(list_, &client);
  height += (window.bottom - window.top) - client.bottom;
  SetWindowPos(list_, nullptr, 0, 0, window.right - window.left, height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMVGroupListDialog::OnSized() { PlaceList(); }

// The list follows the group's width; its height follows its items, so that a
// collapsing group only hides it.
void CMVGroupListDialog::PlaceList() {
  if (!list_) return;
  const SIZE size = ClientSize(hwnd_);
  RECT r = kx::RectInParent(list_);
  const int width = std::max(0L, size.cx - 2L * kBodyMargin);
  SetWindowPos(list_, nullptr, kBodyMargin, r.top, width, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client{};
  GetClientRect(list_, &client);
  SendMessageA(list_, LVM_SETCOLUMNWIDTH, 0, client.right);
}

void CMVGroupListDialog::SetEmphasis(unsigned command, int index, COLORREF normal, COLORREF hot,
                                     bool bold, bool underline, bool italic) {
  emphasisCommand_ = command;
  emphasisIndex_ = index;
  emphasisNormal_ = normal;
  emphasisHot_ = hot;
  emphasisBold_ = bold;
  emphasisUnderline_ = underline;
  emphasisItalic_ = italic;
  emphasisFonts_[0].Reset();
  emphasisFonts_[1].Reset();
  if (list_) InvalidateRect(list_, nullptr, FALSE);
}

int CMVGroupListDialog::ItemCount() const {
  return list_ ? static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

unsigned CMVGroupListDialog::ItemCommand(int index) const {
  if (!list_ || index < 0) return 0;
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  if (!SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return 0;
  return static_cast<unsigned>(item.lParam);
}

std::string CMVGroupListDialog::ItemCaption(int index) const {
  // Grows until the caption fits; the last byte is always our terminator.
  for (size_t size = 512;; size *= 2) {
    std::string text(size, '\0');
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(size - 1);
    const auto copied = list_ ? static_cast<size_t>(SendMessageA(list_, LVM_GETITEMTEXTA, index,
                                                                 reinterpret_cast<LPARAM>(&item)))
                              : 0;
    text.resize(strnlen(text.data(), size - 1));
    if (copied + 2 < size || size >= 65536) return text;
  }
}

void CMVGroupListDialog::SetItemCaption(int index, const char* caption) {
  if (!list_) return;
  LVITEMA item{};
  item.iSubItem = 0;
  item.pszText = const_cast<char*>(caption ? caption : "");
  SendMessageA(list_, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
}

RECT CMVGroupListDialog::ItemRect(int index) const {
  RECT r{};
  r.left = LVIR_BOUNDS;
  if (!list_ || !SendMessageA(list_, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r))) return RECT{};
  return r;
}

unsigned CMVGroupListDialog::HotItem() const {
  const unsigned command = hotIndex_ >= 0 ? ItemCommand(hotIndex_) : 0;
  return Clickable(command) ? command : 0;
}

int CMVGroupListDialog::ItemAt(LPARAM point) const {
  LVHITTESTINFO hit{};
  hit.pt = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  int index = static_cast<int>(SendMessageA(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return (hit.flags & LVHT_ONITEM) ? index : -1;
}

void CMVGroupListDialog::SetHotIndex(int index) {
  if (index == hotIndex_) return;
  for (int changed : {hotIndex_, index}) {
    if (changed < 0) continue;
    RECT r = ItemRect(changed);
    InvalidateRect(list_, &r, FALSE);
  }
  hotIndex_ = index;
}

HFONT CMVGroupListDialog::FontFor(int index, bool hot) {
  const unsigned command = ItemCommand(index);
  const bool emphasised = (emphasisCommand_ != 0 && command == emphasisCommand_) ||
                          (emphasisIndex_ >= 0 && index == emphasisIndex_);
  if (emphasised) {
    kx::GdiObject& font = emphasisFonts_[hot ? 1 : 0];
    if (!font) {
      font.Reset(FontVariant(HeaderFont(), emphasisBold_ ? FW_BOLD : FW_NORMAL, emphasisUnderline_ || hot,
                             emphasisItalic_));
    }
    return static_cast<HFONT>(font.Get());
  }
  if (command == kSeparatorCommand) {
    if (!separatorFont_) separatorFont_.Reset(FontVariant(HeaderFont(), FW_NORMAL, false, false));
    return static_cast<HFONT>(separatorFont_.Get());
  }
  if (command == 0) return HeaderFont();
  HFONT listFont = reinterpret_cast<HFONT>(SendMessageA(list_, WM_GETFONT, 0, 0));
  if (!hot) return listFont;
  if (!hotListFont_) hotListFont_.Reset(FontVariant(listFont, -1, true, false));
  return static_cast<HFONT>(hotListFont_.Get());
}

LRESULT CMVGroupListDialog::CustomDraw(NMLVCUSTOMDRAW* draw) {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      const int index = static_cast<int>(draw->nmcd.dwItemSpec);
      const unsigned command = static_cast<unsigned>(draw->nmcd.lItemlParam);
      const bool hot = index == hotIndex_ && Clickable(command);
      const bool emphasised = (emphasisCommand_ != 0 && command == emphasisCommand_) ||
                              (emphasisIndex_ >= 0 && index == emphasisIndex_);
      COLORREF colour = hot ? Colours().itemHot : Colours().itemNormal;
      if (emphasised) {
        COLORREF wanted = hot ? emphasisHot_ : emphasisNormal_;
        if (wanted != CLR_INVALID) colour = wanted;
      } else if (!Clickable(command)) {
        colour = Colours().itemNormal;
      }
      draw->clrText = colour;
      draw->clrTextBk = Colours().body;
      draw->nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS | CDIS_HOT);
      SelectObject(draw->nmcd.hdc, FontFor(index, hot));
      return CDRF_NEWFONT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

bool CMVGroupListDialog::OnNotify(NMHDR* header, LRESULT& result) {
  if (!header || header->hwndFrom != list_) return false;
  switch (header->code) {
    case NM_CUSTOMDRAW:
      result = CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
      return true;
    case LVN_ITEMCHANGING: {
      auto* change = reinterpret_cast<NMLISTVIEW*>(header);
      // Items are commands, not choices: they never stay selected.
      result = (change->uChanged & LVIF_STATE) && (change->uNewState & (LVIS_SELECTED | LVIS_FOCUSED)) ? TRUE : FALSE;
      return true;
    }
    default:
      return false;
  }
}

void CMVGroupListDialog::OnColoursChanged() {
  if (!list_) return;
  SendMessageA(list_, LVM_SETBKCOLOR, 0, Colours().body);
  SendMessageA(list_, LVM_SETTEXTBKCOLOR, 0, Colours().body);
  InvalidateRect(list_, nullptr, TRUE);
}

LRESULT CALLBACK CMVGroupListDialog::ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                              DWORD_PTR data) {
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, ListProc, id);
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  auto* self = reinterpret_cast<CMVGroupListDialog*>(data);
  return self ? self->OnListMessage(hwnd, msg, wp, lp) : DefSubclassProc(hwnd, msg, wp, lp);
}

// Hot tracking and clicks are ours: the list neither selects nor takes the
// focus, and a click is a press and a release on the same clickable item.
LRESULT CMVGroupListDialog::OnListMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MOUSEMOVE:
      if (!trackingList_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
        trackingList_ = TrackMouseEvent(&track) != FALSE;
      }
      SetHotIndex(ItemAt(lp));
      break;  // the list still shows the tips of cut captions
    case WM_MOUSELEAVE:
      trackingList_ = false;
      SetHotIndex(-1);
      break;
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT && Clickable(HotItem())) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      pressedIndex_ = ItemAt(lp);
      return 0;
    case WM_LBUTTONUP: {
      const int index = ItemAt(lp);
      const bool same = index >= 0 && index == pressedIndex_;
      pressedIndex_ = -1;
      const unsigned command = same ? ItemCommand(index) : 0;
      if (Clickable(command)) PostMessageA(owner_, WM_COMMAND, command, 0);
      return 0;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_KEYDOWN:
      return 0;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}
