// The builder's window sized by its user: the lists and previews grow, the
// bars keep to the bottom-right corner, and today's size is the least.
#include <array>
#include <map>

#include "BuilderFormSupport.h"

namespace vanta {
namespace {

class BuilderResizeTest : public BuilderFormTest {
 public:
  // A control's rectangle in the window's client coordinates.
  RECT At(int id) const {
    RECT r;
    GetWindowRect(C(id), &r);
    MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  SIZE Client() const {
    RECT r;
    GetClientRect(form->Handle(), &r);
    return {r.right, r.bottom};
  }
  SIZE Frame() const {
    RECT r;
    GetWindowRect(form->Handle(), &r);
    return {r.right - r.left, r.bottom - r.top};
  }
  void SizeBy(int dx, int dy) const {
    const SIZE f = Frame();
    SetWindowPos(form->Handle(), nullptr, 0, 0, f.cx + dx, f.cy + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  static SIZE SizeOf(const RECT& r) { return {r.right - r.left, r.bottom - r.top}; }
  // Whether a preview window fills its panel.
  bool Fills(HWND preview, int panel) const {
    RECT p, inside;
    GetClientRect(C(panel), &p);
    GetClientRect(preview, &inside);
    return preview && EqualRect(&p, &inside);
  }
  void ExpectNoLayoutProblems(const std::string& what) {
    for (int page = bpImages; page <= bpBuild; ++page) {
      SideBar(static_cast<TBuilderPage>(page));
      std::string all;
      for (const std::string& p : test::LayoutProblems(form->Handle())) all += "\n  " + p;
      EXPECT_TRUE(all.empty()) << what << ", page " << page << ":" << all;
    }
  }
};

TEST_F(BuilderResizeTest, SizedLargerTheListsAndPreviewsGrowAndTheBarsKeepToTheCorner) {
  Picture("a.bmp", 320, 240);
  Open({}, "[Set]\r\nImageInterval=1\r\n[Pictures]\r\n" + dir.Path("a.bmp") + "=1\r\n");
  const LONG style = GetWindowLongA(form->Handle(), GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), WS_THICKFRAME | WS_MAXIMIZEBOX);
  SideBar(bpEffects);  // its preview runs from here on
  SideBar(bpImages);
  Click(IDC_PREVIEWB2);
  ASSERT_NE(form->Pages().Images.PreviewWindow(), nullptr);
  const SIZE client = Client();
  const int ids[] = {IDC_IMAGELIST, IDC_FSPANEL, IDC_MUSICLIST, IDC_STYLELIST, IDC_FSPANEL2, IDC_STATUSMEMO,
                     IDC_OKBUTTON, IDC_BUILDB, IDC_ADDIMAGES};
  std::map<int, RECT> before;
  for (int id : ids) before[id] = At(id);

  // The user drags the frame: the previews follow once it is let go.
  const int dx = 160, dy = 120;
  SendMessageA(form->Handle(), WM_ENTERSIZEMOVE, 0, 0);
  SizeBy(dx, dy);
  EXPECT_EQ(Client().cx, client.cx + dx);
  EXPECT_EQ(Client().cy, client.cy + dy);
  EXPECT_FALSE(Fills(form->Pages().Images.PreviewWindow(), IDC_FSPANEL)) << "restarted while still sizing";
  SendMessageA(form->Handle(), WM_EXITSIZEMOVE, 0, 0);
  EXPECT_TRUE(Fills(form->Pages().Images.PreviewWindow(), IDC_FSPANEL));
  EXPECT_TRUE(Fills(form->Pages().Effects.PreviewWindow(), IDC_FSPANEL2));

  // Lists, tree, panels and the status box grow by the room they were given.
  struct Growth { int id; int w, h; } growths[] = {
      {IDC_IMAGELIST, dx / 2, dy}, {IDC_FSPANEL, dx / 2, dy}, {IDC_MUSICLIST, dx, dy},
      {IDC_STYLELIST, dx / 2, dy}, {IDC_FSPANEL2, dx / 2, dy}, {IDC_STATUSMEMO, dx, dy},
  };
  for (const Growth& g : growths) {
    const SIZE was = SizeOf(before[g.id]), now = SizeOf(At(g.id));
    EXPECT_NEAR(now.cx - was.cx, g.w, 1) << g.id;
    EXPECT_NEAR(now.cy - was.cy, g.h, 1) << g.id;
  }
  // The bars' buttons moved with the corner; the list's buttons went down only.
  for (int id : {IDC_OKBUTTON, IDC_BUILDB}) {
    EXPECT_EQ(At(id).left, before[id].left + dx) << id;
    EXPECT_EQ(At(id).bottom, before[id].bottom + dy) << id;
    EXPECT_EQ(SizeOf(At(id)).cx, SizeOf(before[id]).cx) << id;
  }
  EXPECT_EQ(At(IDC_ADDIMAGES).left, before[IDC_ADDIMAGES].left);
  EXPECT_EQ(At(IDC_ADDIMAGES).top, before[IDC_ADDIMAGES].top + dy);
  ExpectNoLayoutProblems("sized larger");

  // Maximised: the bar keeps its distance to the corner, the previews follow.
  ShowWindow(form->Handle(), SW_MAXIMIZE);
  ASSERT_TRUE(IsZoomed(form->Handle()));
  const SIZE big = Client();
  EXPECT_GT(big.cx, client.cx + dx);
  SideBar(bpImages);
  EXPECT_EQ(At(IDC_OKBUTTON).right, before[IDC_OKBUTTON].right + big.cx - client.cx);
  EXPECT_EQ(At(IDC_OKBUTTON).bottom, before[IDC_OKBUTTON].bottom + big.cy - client.cy);
  EXPECT_TRUE(Fills(form->Pages().Effects.PreviewWindow(), IDC_FSPANEL2));
  ExpectNoLayoutProblems("maximised");
  ShowWindow(form->Handle(), SW_RESTORE);
  EXPECT_EQ(Client().cx, client.cx + dx);
  EXPECT_TRUE(errors.empty());
}

TEST_F(BuilderResizeTest, NeverSmallerThanTodaysSize) {
  Open();
  const SIZE client = Client(), frame = Frame();
  MINMAXINFO limits{};
  SendMessageA(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, frame.cx);
  EXPECT_EQ(limits.ptMinTrackSize.y, frame.cy);
  SizeBy(-frame.cx / 2, -frame.cy / 2);
  EXPECT_EQ(Client().cx, client.cx);
  EXPECT_EQ(Client().cy, client.cy);
  // Larger and back: every control is where the template put it.
  const RECT ok = At(IDC_OKBUTTON), list = At(IDC_IMAGELIST);
  SizeBy(100, 50);
  SizeBy(-100, -50);
  EXPECT_TRUE(EqualRect(&ok, std::array{At(IDC_OKBUTTON)}.data()));
  EXPECT_TRUE(EqualRect(&list, std::array{At(IDC_IMAGELIST)}.data()));
}

}  // namespace
}  // namespace vanta
