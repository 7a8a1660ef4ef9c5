// The artwork of res/art as the system itself loads it: every icon at the
// sizes the windows ask for, the progress clip in a real animation control,
// and the two check-mark bitmaps of the context-menu extension.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "art_test_ids.h"
#include "framework/handle.h"

namespace {

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

// Pixels of a window or a bitmap as 0xAARRGGBB, top row first.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<DWORD> data;

  DWORD At(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
};

int Red(DWORD c) { return (c >> 16) & 0xFF; }
int Green(DWORD c) { return (c >> 8) & 0xFF; }
int Blue(DWORD c) { return c & 0xFF; }
int Alpha(DWORD c) { return c >> 24; }
bool IsYellow(DWORD c) { return Red(c) > 180 && Green(c) > 140 && Blue(c) < 110; }
bool IsBlue(DWORD c) { return Blue(c) > 150 && Blue(c) > Red(c) + 60; }

// A top-down 32-bit section to draw into and read back.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_.Reset(CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
    old_ = SelectObject(dc_, bitmap_.Get());
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC Dc() const { return dc_; }
  bool Valid() const { return bits_ != nullptr; }
  void Fill(DWORD color) { std::fill(bits_, bits_ + width_ * height_, color); }
  Pixels Read() const {
    GdiFlush();
    return Pixels{width_, height_, std::vector<DWORD>(bits_, bits_ + width_ * height_)};
  }

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  kx::GdiObject bitmap_;
  HGDIOBJ old_ = nullptr;
  DWORD* bits_ = nullptr;
};

// --- Icons -----------------------------------------------------------------

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width;
  BYTE height;
  BYTE colors;
  BYTE reserved;
  WORD planes;
  WORD bitCount;
  DWORD bytes;
  WORD id;
};
struct GroupIconHeader {
  WORD reserved;
  WORD type;
  WORD count;
};
#pragma pack(pop)

struct IconImage {
  int size;
  bool deep;  // 32 bits a pixel, or a PNG (which always carries alpha)
};

// The images an icon resource holds, read from the resource data itself: a
// request for a size the file lacks would be met by stretching another one.
std::vector<IconImage> ImagesOf(int id) {
  std::vector<IconImage> images;
  HRSRC group = FindResourceA(Module(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  if (!group) return images;
  const auto* header = static_cast<const GroupIconHeader*>(LockResource(LoadResource(Module(), group)));
  const auto* entries = reinterpret_cast<const GroupIconEntry*>(header + 1);
  for (int i = 0; i < header->count; ++i) {
    HRSRC icon = FindResourceA(Module(), MAKEINTRESOURCEA(entries[i].id), MAKEINTRESOURCEA(3));  // RT_ICON
    if (!icon) continue;
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(Module(), icon)));
    if (SizeofResource(Module(), icon) >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0) {
      images.push_back({entries[i].width == 0 ? 256 : entries[i].width, true});
    } else {
      BITMAPINFOHEADER bih;
      std::memcpy(&bih, data, sizeof bih);
      images.push_back({static_cast<int>(bih.biWidth), bih.biBitCount == 32});
    }
  }
  return images;
}

struct IconCase {
  int id;
  const char* name;
  std::vector<int> sizes;
};

const std::vector<IconCase>& Icons() {
  static const std::vector<IconCase> icons = {
      {ART_APP, "app", {16, 32, 48, 256}},
      {ART_ERROR, "error", {16, 32, 48}},
      {ART_FOLDER, "folder", {16, 32}},
      {ART_FILE, "file", {16, 32}},
      {ART_OPTIONS, "options", {16, 32}},
      {ART_HELP, "help", {16, 32}},
      {ART_ABOUT, "about", {16, 32}},
      {ART_PASSWORD, "password", {16, 32}},
      {ART_CMENU, "cmenu", {16, 32}},
      {ART_DISK, "disk", {16, 32}},
      {ART_LANGUAGE, "language", {16, 32}},
      {ART_CHECK, "check", {16, 32}},
      {ART_ARROW, "arrow", {16, 32}},
  };
  return icons;
}

TEST(ArtIcons, EveryIconHoldsItsSizesInThirtyTwoBitsWithAlpha) {
  for (const IconCase& icon : Icons()) {
    const std::vector<IconImage> images = ImagesOf(icon.id);
    ASSERT_FALSE(images.empty()) << icon.name;
    for (int size : icon.sizes) {
      bool found = false;
      for (const IconImage& image : images) {
        if (image.size != size) continue;
        found = true;
        EXPECT_TRUE(image.deep) << icon.name << " " << size << " is not 32-bit";
      }
      EXPECT_TRUE(found) << icon.name << " has no " << size << "x" << size << " image";
    }
  }
}

// The task panel and the lists draw these at 16 and 32 on coloured
// backgrounds: the corners must let the background through and the picture
// must cover a good part of the square.
TEST(ArtIcons, EveryIconDrawsAtSixteenAndThirtyTwoOverAnyBackground) {
  const DWORD magenta = 0x00FF00FF;
  for (const IconCase& icon : Icons()) {
    for (int size : {16, 32}) {
      kx::IconHandle handle(static_cast<HICON>(
          LoadImageA(Module(), MAKEINTRESOURCEA(icon.id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
      ASSERT_TRUE(handle) << icon.name << " " << size << ": " << GetLastError();
      Canvas canvas(size, size);
      ASSERT_TRUE(canvas.Valid());
      canvas.Fill(magenta);
      ASSERT_TRUE(DrawIconEx(canvas.Dc(), 0, 0, handle.Get(), size, size, 0, nullptr, DI_NORMAL));
      const Pixels px = canvas.Read();
      EXPECT_EQ(px.At(0, 0) & 0xFFFFFF, magenta) << icon.name << " " << size << ": corner not transparent";
      int drawn = 0;
      for (DWORD c : px.data) drawn += (c & 0xFFFFFF) != magenta;
      EXPECT_GT(drawn, size * size / 5) << icon.name << " " << size;
    }
  }
}

// --- The progress clip -----------------------------------------------------

const COLORREF kDialogBack = RGB(0, 200, 0);
const DWORD kDialogBackPixel = 0x0000C800;  // the same green as read back
HBRUSH g_dialogBrush = nullptr;

// Stands in for the progress window: answers the transparent control's
// question for its background colour.
LRESULT CALLBACK ClipHostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CTLCOLORSTATIC) {
    SetBkColor(reinterpret_cast<HDC>(wp), kDialogBack);
    return reinterpret_cast<LRESULT>(g_dialogBrush);
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void Pump(int milliseconds) {
  const DWORD until = GetTickCount() + milliseconds;
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(10);
  } while (static_cast<int>(GetTickCount() - until) < 0);
}

class ArtClip : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_ANIMATE_CLASS};
    InitCommonControlsEx(&controls);
    brush_.Reset(CreateSolidBrush(kDialogBack));
    g_dialogBrush = static_cast<HBRUSH>(brush_.Get());
    WNDCLASSA wc{};
    wc.lpfnWndProc = ClipHostProc;
    wc.hInstance = Module();
    wc.lpszClassName = "ArtClipHost";
    wc.hbrBackground = g_dialogBrush;
    RegisterClassA(&wc);
    host_ = CreateWindowExA(0, "ArtClipHost", "Clip", WS_POPUP | WS_VISIBLE, 10, 10, 420, 80, nullptr, nullptr,
                            Module(), nullptr);
    ASSERT_TRUE(host_);
    // As the progress window has it: transparent, playing as soon as it opens.
    clip_ = CreateWindowExA(0, ANIMATE_CLASSA, "", WS_CHILD | WS_VISIBLE | ACS_TRANSPARENT | ACS_AUTOPLAY, 10, 9,
                            391, 57, host_, nullptr, Module(), nullptr);
    ASSERT_TRUE(clip_);
  }
  void TearDown() override {
    if (host_) DestroyWindow(host_);
    g_dialogBrush = nullptr;
  }

  BOOL Open() {
    return static_cast<BOOL>(SendMessageA(clip_, ACM_OPENA, reinterpret_cast<WPARAM>(Module()),
                                          reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(ART_CLIP))));
  }
  void Seek(int frame) {
    SendMessageA(clip_, ACM_STOP, 0, 0);
    SendMessageA(clip_, ACM_PLAY, 1, MAKELPARAM(frame, frame));
    RedrawWindow(clip_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Pump(50);
  }
  Pixels Capture() {
    RECT r{};
    GetClientRect(clip_, &r);
    Canvas canvas(r.right, r.bottom);
    HDC dc = GetDC(clip_);
    BitBlt(canvas.Dc(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(clip_, dc);
    return canvas.Read();
  }

  kx::GdiObject brush_;
  HWND host_ = nullptr;
  HWND clip_ = nullptr;
};

// Kept for a person to look at: the clip as the control shows it.
void SaveScreenshot(const Pixels& px, const char* name) {
  char path[MAX_PATH];
  wsprintfA(path, "%s\\%s", KX_SCREENSHOT_DIR, name);
  CreateDirectoryA(KX_SCREENSHOT_DIR, nullptr);
  kx::FileHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  BITMAPINFOHEADER bih{sizeof bih, px.width, -px.height, 1, 32, BI_RGB};
  const DWORD bytes = static_cast<DWORD>(px.data.size() * sizeof(DWORD));
  BITMAPFILEHEADER bfh{0x4D42, static_cast<DWORD>(sizeof bfh + sizeof bih) + bytes, 0, 0,
                       static_cast<DWORD>(sizeof bfh + sizeof bih)};
  DWORD written = 0;
  WriteFile(file.Get(), &bfh, sizeof bfh, &written, nullptr);
  WriteFile(file.Get(), &bih, sizeof bih, &written, nullptr);
  WriteFile(file.Get(), px.data.data(), bytes, &written, nullptr);
}

int Differences(const Pixels& a, const Pixels& b) {
  int n = 0;
  for (size_t i = 0; i < a.data.size() && i < b.data.size(); ++i) n += (a.data[i] & 0xFFFFFF) != (b.data[i] & 0xFFFFFF);
  return n;
}

TEST_F(ArtClip, OpensFromTheResourceAndFitsTheProgressWindow) {
  ASSERT_TRUE(Open());
  RECT r{};
  GetClientRect(clip_, &r);
  // The control takes the clip's own size: it must fit the 261 x 35 dialog
  // units the progress window gives it, about 391 x 57 pixels.
  EXPECT_GT(r.right, 100);
  EXPECT_GT(r.bottom, 20);
  EXPECT_LE(r.right, 391);
  EXPECT_LE(r.bottom, 57);
}

TEST_F(ArtClip, ShowsItsFramesUprightOnTheDialogBackground) {
  ASSERT_TRUE(Open());
  Seek(0);
  const Pixels first = Capture();
  ASSERT_GT(first.width, 60);
  // The clip's white is the key colour: the dialog's colour shows through.
  EXPECT_EQ(first.At(0, 0) & 0xFFFFFF, kDialogBackPixel) << std::hex << first.At(0, 0);
  // The folder stands at the bottom left. A clip stored top-down but marked
  // bottom-up would show it at the top.
  EXPECT_TRUE(IsYellow(first.At(30, 40))) << std::hex << first.At(30, 40);
  EXPECT_EQ(first.At(30, 4) & 0xFFFFFF, kDialogBackPixel) << std::hex << first.At(30, 4);
  // The paper inside the folder is off-white, so it is not keyed out with
  // the background.
  const DWORD paper = first.At(30, 22);
  EXPECT_TRUE(Red(paper) > 230 && Green(paper) > 230 && Blue(paper) > 230) << std::hex << paper;

  Seek(4);
  const Pixels later = Capture();
  EXPECT_GT(Differences(first, later), 100) << "frames 0 and 4 look the same";
  SaveScreenshot(later, "art-clip-frame4.bmp");
}

TEST_F(ArtClip, PlaysByItselfOnceOpened) {
  ASSERT_TRUE(Open());
  Pump(30);
  const Pixels before = Capture();
  int changed = 0;
  for (int i = 0; i < 5 && !changed; ++i) {
    Pump(150);
    changed = Differences(before, Capture());
  }
  EXPECT_GT(changed, 0) << "the clip does not move";
}

// --- The check-mark bitmaps of the extension --------------------------------

struct Section {
  kx::GdiObject bitmap;
  DIBSECTION info{};
};

Section LoadSection(int id) {
  Section s;
  s.bitmap.Reset(LoadImageA(Module(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (s.bitmap) GetObjectA(s.bitmap.Get(), sizeof s.info, &s.info);
  return s;
}

Pixels PixelsOf(const Section& s) {
  const int w = s.info.dsBm.bmWidth;
  const int h = s.info.dsBm.bmHeight;
  Canvas canvas(w, h);
  HDC src = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(src, s.bitmap.Get());
  BitBlt(canvas.Dc(), 0, 0, w, h, src, 0, 0, SRCCOPY);
  SelectObject(src, old);
  DeleteDC(src);
  return canvas.Read();
}

TEST(ArtBroom, BothBitmapsLoadAsSectionsAtTheirOwnSizeAndDepth) {
  const Section deep = LoadSection(ART_BROOM_32BIT);
  ASSERT_TRUE(deep.bitmap) << GetLastError();
  EXPECT_EQ(deep.info.dsBm.bmWidth, 15);
  EXPECT_EQ(deep.info.dsBm.bmHeight, 15);
  EXPECT_EQ(deep.info.dsBm.bmBitsPixel, 32);

  const Section palette = LoadSection(ART_BROOM_8BIT);
  ASSERT_TRUE(palette.bitmap) << GetLastError();
  EXPECT_EQ(palette.info.dsBm.bmWidth, 13);
  EXPECT_EQ(palette.info.dsBm.bmHeight, 13);
  EXPECT_EQ(palette.info.dsBm.bmBitsPixel, 8);

  // Both show the broom: a yellow head and a blue handle.
  for (const Section* s : {&deep, &palette}) {
    const Pixels px = PixelsOf(*s);
    int yellow = 0, blue = 0;
    for (DWORD c : px.data) {
      yellow += IsYellow(c);
      blue += IsBlue(c);
    }
    EXPECT_GE(yellow, 10) << px.width;
    EXPECT_GE(blue, 5) << px.width;
  }
}

// A menu blends a 32-bit image as premultiplied alpha: no colour may be
// brighter than its pixel's coverage, or the menu shows a halo and, where the
// image is clear, a smear over the background.
TEST(ArtBroom, TheThirtyTwoBitImageIsPremultipliedWithAClearBackground) {
  const Section deep = LoadSection(ART_BROOM_32BIT);
  ASSERT_TRUE(deep.bitmap);
  ASSERT_NE(deep.info.dsBm.bmBits, nullptr);
  const auto* bits = static_cast<const DWORD*>(deep.info.dsBm.bmBits);
  int clear = 0, solid = 0;
  for (int i = 0; i < 15 * 15; ++i) {
    const DWORD c = bits[i];
    EXPECT_LE(Red(c), Alpha(c)) << i;
    EXPECT_LE(Green(c), Alpha(c)) << i;
    EXPECT_LE(Blue(c), Alpha(c)) << i;
    clear += Alpha(c) == 0;
    solid += Alpha(c) == 255;
  }
  EXPECT_GE(clear, 60);
  EXPECT_GE(solid, 30);
}

}  // namespace
