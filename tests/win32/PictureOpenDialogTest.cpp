// The picture-open dialog's preview on the system's real dialog: selecting
// a picture draws its thumbnail upright and names its size; selecting a
// broken one leaves the preview blank and shows no message.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "../unit/PictureWriters.h"
#include "LoopSteps.h"
#include "Win32TestSupport.h"
#include "builder/MediaLists.h"
#include "platform/Shell.h"
#include "platform/win32/PictureOpenDialog.h"

namespace vanta {
namespace {

constexpr TColor kRed = 0x0000FF, kBlue = 0xFF0000, kBackground = 0x808000;

struct TChildSearch {
  const char* className;
  int id;
  HWND found;
};

BOOL CALLBACK MatchChild(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<TChildSearch*>(p);
  char name[64] = {};
  GetClassNameA(w, name, sizeof name);
  if ((s->className && lstrcmpiA(name, s->className) == 0) || (s->id && GetDlgCtrlID(w) == s->id)) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

HWND Child(HWND parent, const char* className, int id = 0) {
  TChildSearch s{className, id, nullptr};
  EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::string Text(HWND w) {
  char buffer[256] = {};
  GetWindowTextA(w, buffer, sizeof buffer);
  return buffer;
}

// Selects the list entry named `name` (shown with or without its extension).
bool Select(HWND list, const std::string& name) {
  const std::string stem = name.substr(0, name.find('.'));
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[MAX_PATH] = {};
    LVITEMA item{};
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
    if (lstrcmpiA(text, name.c_str()) != 0 && lstrcmpiA(text, stem.c_str()) != 0) continue;
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    LVITEMA one{};
    one.state = one.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&one));
    return true;
  }
  return false;
}

TColor PixelOf(HWND w, int x, int y) {
  UpdateWindow(w);
  HDC dc = GetDC(w);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(w, dc);
  return c;
}

TEST(PictureOpenDialog, PreviewShowsTheSelectedPictureUprightAndNothingForABrokenOne) {
  test::TTempDir dir;
  // Stored on its side (40 x 80) with the tag that turns it: upright it is
  // 80 x 40, red above, blue below.
  TBitmap24 stored(40, 80);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 40; ++x) stored.SetPixel(x, y, x < 20 ? kRed : kBlue);  // column 0 is the top
  dir.Write("upright.png", test::MakePng(stored, {{"eXIf", test::MakeExifTiff(6)}}));
  dir.Write("broken.png", "\x89PNG\r\n\x1A\n and nothing else");

  HWND dialog = nullptr, picture = nullptr, size = nullptr, list = nullptr;
  TColor above = 0, below = 0, corner = 0;
  std::string sizeText;
  bool otherBox = false;
  std::vector<std::string> chosen{"not run"};
  {
    test::TLoopSteps steps;
    steps.Await(
        "the open dialog with its file list",
        [&] {
          HWND d = test::FindThreadWindow([](HWND w) { return Text(w) == "Add Images"; });
          return d && Child(d, "SysListView32") && Child(d, nullptr, platform::kPreviewPictureId) ? d : nullptr;
        },
        [&](HWND d) {
          dialog = d;
          picture = Child(d, nullptr, platform::kPreviewPictureId);
          size = Child(d, nullptr, platform::kPreviewSizeId);
          list = Child(d, "SysListView32");
          EXPECT_TRUE(Select(list, "upright.png"));
        });
    steps.Await(
        "the preview of the good picture",
        [&] { return size && !Text(size).empty() ? dialog : nullptr; },
        [&](HWND) {
          sizeText = Text(size);
          RECT r;
          GetClientRect(picture, &r);
          above = PixelOf(picture, r.right / 2, r.bottom / 2 - 10);
          below = PixelOf(picture, r.right / 2, r.bottom / 2 + 10);
          EXPECT_TRUE(Select(list, "broken.png"));
        });
    steps.Await(
        "the preview blank for the broken picture",
        [&] { return sizeText.size() && size && Text(size).empty() ? dialog : nullptr; },
        [&](HWND d) {
          RECT r;
          GetClientRect(picture, &r);
          corner = PixelOf(picture, r.right / 2, r.bottom / 2 - 10);
          otherBox = test::FindThreadWindow([&](HWND w) { return w != d && Text(w) != "Add Images"; }) != nullptr;
          PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
        });
    platform::TOpenFilesRequest request{"Add Images", "Pictures|*.png", dir.Folder(), true, PreviewPictureFile, kBackground};
    chosen = platform::SystemShell().PickFilesToOpen(0, request);
  }
  EXPECT_TRUE(chosen.empty()) << "cancelled";
  EXPECT_EQ(sizeText, "80 x 40 pixels");
  EXPECT_EQ(above, kRed);
  EXPECT_EQ(below, kBlue);
  EXPECT_EQ(corner, kBackground);
  EXPECT_FALSE(otherBox) << "no message box for the broken picture";
}

}  // namespace
}  // namespace vanta
