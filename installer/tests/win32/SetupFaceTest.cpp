// The setup's face under Wine: every page as shown (at the screen's DPI:
// the win32.vantabuild.dpi entries run these at 150 % and 200 %), the
// pages' pictures and the program's icon by their pixels, the Start menu
// page's Browse, and the uninstaller's band and progress bar. Screenshots
// go to build/screenshots/setup.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <filesystem>
#include <string>
#include <vector>

#include "SetupDriving.h"
#include "SetupFixture.h"
#include "setup/win32/WizardIds.h"

namespace vanta::build {
namespace {

namespace fs = std::filesystem;
using namespace test;

class SetupFace : public SetupWin32 {
 protected:
  static int Dpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
  }
  // "" at 100 %, "-150" and "-200" at the others.
  static std::string ShotSuffix() { return Dpi() == 96 ? std::string() : "-" + std::to_string(Dpi() * 100 / 96); }
  static fs::path Shots() {
    const fs::path shots = fs::path(ExeFolder()) / ".." / ".." / "screenshots" / "setup";
    fs::create_directories(shots);
    return shots;
  }
};

// The colour in the middle of an icon drawn on black.
COLORREF IconColour(HICON icon, int side) {
  const HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, side, side);
  const HGDIOBJ old = SelectObject(dc, bitmap);
  PatBlt(dc, 0, 0, side, side, BLACKNESS);
  DrawIconEx(dc, 0, 0, icon, side, side, 0, nullptr, DI_NORMAL);
  const COLORREF c = GetPixel(dc, side / 2, side / 2);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return c;
}

// A top-level window of that title that has (or lacks) a control.
struct TTitledSearch {
  std::string title;
  int control;
  bool has;
  HWND found = nullptr;
};

BOOL CALLBACK VisitTitled(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<TTitledSearch*>(lp);
  char text[256] = "";
  GetWindowTextA(w, text, sizeof text);
  if (!IsWindowVisible(w) || s->title != text || (GetDlgItem(w, s->control) != nullptr) != s->has) return TRUE;
  s->found = w;
  return FALSE;
}

HWND FindTitled(const std::string& title, int control, bool has, int timeoutMs = 15000) {
  TTitledSearch search{title, control, has};
  for (int waited = 0; waited < timeoutMs && !search.found; waited += 50) {
    EnumWindows(VisitTitled, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(50);
  }
  return search.found;
}

void ExpectAllFit(HWND dialog, const std::vector<int>& visible, const std::string& page);

// The script's icon is the setup's own (as Explorer reads it) and its
// uninstaller's.
TEST_F(SetupFace, TheSetupsIconIsTheScripts) {
  const std::string setup = Build();
  for (const std::string& file : {setup, std::string()}) {
    const std::string program = file.empty() ? app_ + "\\unins000.exe" : file;
    if (file.empty()) {
      ASSERT_EQ(RunAndWait(setup, Quiet() + " /DIR=\"" + app_ + "\""), 0u) << Log();
    }
    const HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module) << program;
    const HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(1), IMAGE_ICON, 32, 32, 0));
    ASSERT_TRUE(icon) << program;
    EXPECT_EQ(IconColour(icon, 32), kIconColour) << program;
    DestroyIcon(icon);
    FreeLibrary(module);
    HICON large = nullptr;
    ASSERT_EQ(ExtractIconExA(program.c_str(), 0, &large, nullptr, 1), 1u) << program;
    EXPECT_EQ(IconColour(large, 32), kIconColour) << program;
    DestroyIcon(large);
  }
  ASSERT_EQ(Uninstall(app_), 0u);
  // The window's icon (WM_SETICON from these resources) cannot be read from
  // another process under Wine: WM_GETICON answers null there.
}

// The Start menu page's Browse opens the shell's folder dialog; cancelled,
// the group stays as it was.
TEST_F(SetupFace, TheStartMenuPageBrowses) {
  TRunning run(Build(), "/DIR=\"" + app_ + "\"");
  const HWND dialog = run.Find(true);
  ASSERT_TRUE(dialog);
  Press(dialog, IDC_NEXT);
  ASSERT_TRUE(OnPage(dialog, "Install folder"));
  Press(dialog, IDC_NEXT);
  ASSERT_TRUE(OnPage(dialog, "Start menu folder"));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_GROUPBROWSE)));
  Press(dialog, IDC_GROUPBROWSE);
  const HWND browse = run.Find(false);
  ASSERT_TRUE(browse) << "no folder dialog";
  Answer(browse, IDCANCEL);
  EXPECT_EQ(ItemText(dialog, IDC_GROUP), name_);
  Press(dialog, IDCANCEL);
  const HWND confirm = run.Find(false);
  ASSERT_TRUE(confirm);
  Answer(confirm, IDYES);
  EXPECT_EQ(run.Wait(), 2u);
}

// The uninstaller, asked and answered, works in a window with the band
// (its heading, subtitle and the program's icon) and a progress bar.
TEST_F(SetupFace, TheUninstallerShowsTheBandAndProgress) {
  const std::string setup = Build(true);
  ASSERT_EQ(RunAndWait(setup, Quiet() + " /DIR=\"" + app_ + "\""), 0u) << Log();
  const std::string title = name_ + " Uninstall";
  // Each item held back: the window stays while the screenshot is taken.
  ASSERT_EQ(RunAndWait(app_ + "\\unins000.exe", "/TESTPAUSE=400"), 0u);
  const HWND question = FindTitled(title, IDC_PROGRESS, false);
  ASSERT_TRUE(question) << "no question";
  Answer(question, IDYES);
  const HWND window = FindTitled(title, IDC_PROGRESS, true);
  ASSERT_TRUE(window) << "no window while uninstalling";
  EXPECT_EQ(ItemText(window, IDC_HEADING), "Uninstalling");
  EXPECT_NE(ItemText(window, IDC_SUBTITLE).find(name_), std::string::npos) << ItemText(window, IDC_SUBTITLE);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, IDC_PROGRESS)));
  ExpectAllFit(window, {IDC_HEADING, IDC_SUBTITLE, IDC_PROGRESS, IDC_STATUS}, "uninstalling");
  Sleep(300);
  const fs::path png = Shots() / ("7-uninstalling" + ShotSuffix() + ".png");
  ASSERT_TRUE(Screenshot(window, png));
  RECT client;
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const int k = Dpi();
  const std::optional<double> white = ShareOf(png, {client.left, client.top, client.right, client.top + 50 * k / 96}, RGB(255, 255, 255));
  const std::optional<double> icon = ShareOf(png, {client.right - 34 * k / 96, client.top + 24 * k / 96, client.right - 24 * k / 96, client.top + 34 * k / 96}, kIconColour);
  ASSERT_TRUE(white && icon);
  EXPECT_GT(*white, 0.7) << "the band";
  EXPECT_GT(*icon, 0.9) << "the icon in the band";
  const HWND done = FindTitled(title, IDC_PROGRESS, false, 30000);
  ASSERT_TRUE(done) << "no word at the end";
  Answer(done, IDOK);
  for (int i = 0; i < 600 && ProcessRuns("unins000.exe"); ++i) Sleep(50);
  EXPECT_FALSE(fs::exists(sysSaver_));
}

// The run asked for a DPI (dpi.sh): the screen has it.
TEST_F(SetupFace, TheScreenHasTheDpiAskedFor) {
  const char* want = std::getenv("VANTA_TEST_DPI");
  if (!want) GTEST_SKIP() << "no DPI asked for";
  EXPECT_EQ(Dpi(), std::atoi(want));
}

// Whether a control's text fits it, as a static control breaks it (a check
// box's beside its box).
bool TextFits(HWND control) {
  char text[2048] = "";
  GetWindowTextA(control, text, sizeof text);
  RECT client;
  GetClientRect(control, &client);
  HDC dc = GetDC(control);
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  RECT needed = client;
  DrawTextA(dc, text, -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  char cls[32] = "";
  GetClassNameA(control, cls, sizeof cls);
  const LONG box = _stricmp(cls, "Button") == 0 ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 0;
  return needed.bottom <= client.bottom && needed.right + box <= client.right;
}

// Every control's text fits it, none overlaps another, all inside the window.
void ExpectAllFit(HWND dialog, const std::vector<int>& visible, const std::string& page) {
  RECT client;
  GetClientRect(dialog, &client);
  MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
  for (size_t i = 0; i < visible.size(); ++i) {
    const HWND control = GetDlgItem(dialog, visible[i]);
    char cls[32] = "";
    GetClassNameA(control, cls, sizeof cls);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const bool words = _stricmp(cls, "Static") == 0 ? !(style & SS_PATHELLIPSIS) : _stricmp(cls, "Button") == 0 && (style & 0xF) != BS_PUSHBUTTON && (style & 0xF) != BS_DEFPUSHBUTTON;
    if (words) {
      EXPECT_TRUE(TextFits(control)) << page << ", control " << visible[i] << " cuts its text";
    }
    RECT a, inside;
    GetWindowRect(control, &a);
    EXPECT_TRUE(IntersectRect(&inside, &a, &client) && EqualRect(&inside, &a)) << page << ", control " << visible[i] << " leaves the window";
    for (size_t j = i + 1; j < visible.size(); ++j) {
      RECT b, both;
      GetWindowRect(GetDlgItem(dialog, visible[j]), &b);
      EXPECT_FALSE(IntersectRect(&both, &a, &b)) << page << ": controls " << visible[i] << " and " << visible[j] << " overlap";
    }
  }
}

// Every page once, as it is shown: a screenshot of each (kept in
// build/screenshots/setup), the window's title, the page's own controls
// shown and the others' hidden, and a picture that is a dialog, not an
// empty or garbled screen.
TEST_F(SetupFace, EveryPageAsShown) {
  ASSERT_NE(GetFileAttributesA("Z:\\usr\\bin\\import"), INVALID_FILE_ATTRIBUTES) << "ImageMagick is needed";
  const fs::path shots = Shots();
  const std::string setup = Build(true);
  // Each file held back 1.5 s: the installing page stays while it is taken.
  TRunning run(setup, "/TESTPAUSE=1500 /LOG=\"" + (root_ / "setup.log").string() + "\"");
  const HWND dialog = run.Find(true);
  ASSERT_TRUE(dialog);
  const int pageControls[] = {IDC_FOLDER, IDC_BROWSE,   IDC_SPACE,      IDC_GROUP, IDC_GROUPBROWSE, IDC_NOGROUP, IDC_PROGRESS,
                              IDC_STATUS, IDC_SUBTITLE, IDC_VIEWREADME, IDC_RUN0,  IDC_RUN0 + 1};
  struct TPage {
    const char* shot;
    const char* heading;
    std::vector<int> shown;
    const char* text;  // in the page's text
  };
  const TPage pages[] = {
      {"1-welcome", "Welcome", {}, "This setup puts"},
      {"2-folder", "Install folder", {IDC_SUBTITLE, IDC_FOLDER, IDC_BROWSE, IDC_SPACE}, "goes into this folder"},
      {"3-group", "Start menu folder", {IDC_SUBTITLE, IDC_GROUP, IDC_GROUPBROWSE, IDC_NOGROUP}, "Start menu"},
      {"4-ready", "Ready to install", {IDC_SUBTITLE}, "Click Install to begin."},
      {"5-installing", "Installing", {IDC_SUBTITLE, IDC_PROGRESS, IDC_STATUS}, "Please wait"},
      {"6-finished", "Finished", {IDC_VIEWREADME, IDC_RUN0, IDC_RUN0 + 1}, "is installed"},
  };
  for (const TPage& page : pages) {
    ASSERT_TRUE(OnPage(dialog, page.heading));
    if (std::string(page.heading) == "Install folder") {
      SendMessageA(GetDlgItem(dialog, IDC_FOLDER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(app_.c_str()));
      // What the install needs, and what the typed folder's drive has free.
      const std::string space = ItemText(dialog, IDC_SPACE);
      EXPECT_EQ(space.rfind("At least ", 0), 0u) << space;
      EXPECT_NE(space.find(" of free disk space is required. Free on " + app_.substr(0, 2) + " "), std::string::npos) << space;
      SendMessageA(GetDlgItem(dialog, IDC_FOLDER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Q:\\Nowhere"));
      EXPECT_EQ(ItemText(dialog, IDC_SPACE).find("Free on"), std::string::npos) << "a drive that is not there has no free space";
      SendMessageA(GetDlgItem(dialog, IDC_FOLDER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(app_.c_str()));
    }
    if (std::string(page.heading) == "Finished") {
      EXPECT_EQ(ItemText(dialog, IDC_RUN0), "Preview it");
      EXPECT_EQ(SendMessageA(GetDlgItem(dialog, IDC_RUN0), BM_GETCHECK, 0, 0), BST_CHECKED);
      EXPECT_EQ(SendMessageA(GetDlgItem(dialog, IDC_RUN0 + 1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    }
    char title[256] = "";
    GetWindowTextA(dialog, title, sizeof title);
    EXPECT_EQ(std::string(title), "Setup - " + name_) << page.heading;
    EXPECT_NE(ItemText(dialog, IDC_TEXT).find(page.text), std::string::npos) << page.heading << ": " << ItemText(dialog, IDC_TEXT);
    for (int id : pageControls) {
      const bool shown = std::find(page.shown.begin(), page.shown.end(), id) != page.shown.end();
      EXPECT_EQ(IsWindowVisible(GetDlgItem(dialog, id)) != FALSE, shown) << page.heading << ", control " << id;
    }
    for (int id : {IDC_BACK, IDC_NEXT, IDCANCEL}) EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, id))) << page.heading;
    // Nothing cut off, nothing on top of anything else, all inside the window.
    std::vector<int> visible = {IDC_HEADING, IDC_TEXT, IDC_BACK, IDC_NEXT, IDCANCEL};
    visible.insert(visible.end(), page.shown.begin(), page.shown.end());
    ExpectAllFit(dialog, visible, page.heading);
    Sleep(300);  // the page painted
    const fs::path png = shots / (std::string(page.shot) + ShotSuffix() + ".png");
    const std::optional<TShot> shot = Screenshot(dialog, png);
    ASSERT_TRUE(shot) << page.heading << ": no screenshot";
    // The tall picture left of Welcome and Finished; the small one in the
    // band's right end on the other pages.
    RECT client;
    GetClientRect(dialog, &client);
    MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const std::string heading = page.heading;
    const bool tallPage = heading == "Welcome" || heading == "Finished";
    const int k = Dpi();  // the places below are at 96 DPI
    const std::optional<double> large =
        ShareOf(png, {client.left + 4 * k / 96, client.top + 40 * k / 96, client.left + 40 * k / 96, client.top + 200 * k / 96}, kLargeColour);
    const std::optional<double> small =
        ShareOf(png, {client.right - 30 * k / 96, client.top + 16 * k / 96, client.right - 14 * k / 96, client.top + 32 * k / 96}, kSmallColour);
    ASSERT_TRUE(large && small) << page.heading;
    // Where Wine draws the window's caption itself, its icon is the setup's.
    RECT frame;
    GetWindowRect(dialog, &frame);
    if (client.top - frame.top > 12 * k / 96) {
      const LONG side = (client.top - frame.top) / 3;
      const std::optional<double> icon = ShareOf(png, {frame.left + side, frame.top + side, frame.left + 2 * side, frame.top + 2 * side}, kIconColour);
      ASSERT_TRUE(icon);
      EXPECT_GT(*icon, 0.9) << page.heading << ": the window's icon";
    }
    EXPECT_EQ(*large > 0.95, tallPage) << page.heading << ": " << *large;
    EXPECT_EQ(*small > 0.95, !tallPage) << page.heading << ": " << *small;
    // Text, edges and the title bar: many colours; most of it the face.
    EXPECT_GE(shot->colours, 4) << page.heading;
    EXPECT_GT(shot->faceShare, 0.3) << page.heading;
    if (std::string(page.heading) == "Installing") {
      EXPECT_EQ(ItemText(dialog, IDC_HEADING), "Installing") << "the install ended before the screenshot";
      continue;  // it moves on by itself
    }
    if (std::string(page.heading) == "Finished")
      SendMessageA(GetDlgItem(dialog, IDC_VIEWREADME), BM_SETCHECK, BST_UNCHECKED, 0);
    Press(dialog, IDC_NEXT);
  }
  EXPECT_EQ(run.Wait(), 0u) << Log();
  EXPECT_TRUE(fs::exists(app_ + "\\sample\\a.jpg"));
  EXPECT_TRUE(StartedByTheDesktopOnly("Preview it")) << Log();
  EXPECT_EQ(Log().find("Its settings"), std::string::npos) << "unticked on the page";
  ASSERT_EQ(Uninstall(app_), 0u);
}

}  // namespace
}  // namespace vanta::build
