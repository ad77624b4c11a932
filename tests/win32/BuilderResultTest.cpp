// What the builder window gives back: every Options control, Cancel and the
// close box, the help menu; the previews on the unsaved settings; the
// Effects page's tree.
#include "BuilderFormSupport.h"

namespace vanta {
namespace {

// ---- What OK gives back.

// Every Options control alone gives back the record with that one setting
// changed; the builder opened on all the changes gives them back unchanged.
TEST_F(BuilderFormTest, EveryOptionsControlCarriesItsSettingThereAndBack) {
  struct Case {
    std::string what;
    std::function<void(TSaverSetting&)> given;  // what the record holds before
    std::function<void(BuilderFormTest&)> act;
    std::function<void(TSaverSetting&)> expect;
  };
  std::vector<Case> cases = {
      {"Stretch to screen", {}, [](auto& t) { t.Click(IDC_STRETCHRADIO); }, [](auto& s) { s.StretchImage = true; }},
      {"Fit to screen", [](auto& s) { s.StretchImage = true; }, [](auto& t) { t.Click(IDC_FITRADIO); },
       [](auto& s) { SetImageSizing(s, TImageSizing::Fit); }},
      {"Fill the screen", {}, [](auto& t) { t.Click(IDC_FILLRADIO); }, [](auto& s) { s.ImageFit = ifFill; }},
      {"Original Size", [](auto& s) { s.StretchImage = true; }, [](auto& t) { t.Click(IDC_ORIGINALRADIO); },
       [](auto& s) { s.StretchImage = false; }},
      {"Normalize", {}, [](auto& t) { t.Click(IDC_NORMALIZERADIO); }, [](auto& s) { s.RandomImage = false; }},
      {"Shuffle", [](auto& s) { s.RandomImage = false; }, [](auto& t) { t.Click(IDC_RANDOMIZERADIO); },
       [](auto& s) { s.RandomImage = true; }},
      {"X", {}, [](auto& t) { t.Type(IDC_XSPIN, "123"); }, [](auto& s) { s.CaptionX = 123; }},
      {"Y", {}, [](auto& t) { t.Type(IDC_YSPIN, "4999"); }, [](auto& s) { s.CaptionY = 4999; }},
      {"X beyond its range", {}, [](auto& t) { t.Type(IDC_XSPIN, "9999"); }, [](auto& s) { s.CaptionX = 5000; }},
      {"Additional text", {}, [](auto& t) { t.Type(IDC_IMAGECAPTIONEDIT, "By the sea"); },
       [](auto& s) { s.AdditionalText = "By the sea"; }},
      {"Red background", {}, [](auto& t) { t.ChooseColorEntry("Red"); }, [](auto& s) { s.BackgroundColor = 0x0000FF; }},
      {"another background", {},
       [](auto& t) {
         t.script.color = 0x336699;
         t.ChooseColorEntry(kOtherColorText);
       },
       [](auto& s) { s.BackgroundColor = 0x336699; }},
      {"interval", {}, [](auto& t) { t.Type(IDC_INTERVALEDIT, "75"); }, [](auto& s) { s.ImageInterval = 75; }},
      {"interval below its range", {}, [](auto& t) { t.Type(IDC_INTERVALEDIT, "0"); },
       [](auto& s) { s.ImageInterval = 1; }},
      {"fastest", {}, [](auto& t) { t.SetSpeed(4); }, [](auto& s) { s.EffectSpeed = 1; }},
      {"slowest", {}, [](auto& t) { t.SetSpeed(0); }, [](auto& s) { s.EffectSpeed = 5; }},
      {"caption font", {},
       [](auto& t) {
         t.script.font = platform::TFontChoice{"Georgia", 31, 0x00FF00, true, true, true, true};
         t.Click(IDC_CAPTIONFONTBUTTON);
       },
       [](auto& s) {
         s.FontName = "Georgia";
         s.FontSize = 31;
         s.FontColor = 0x00FF00;
         s.FontBold = s.FontItalic = s.FontUnderline = s.FontStrikeout = true;
       }},
      {"caption font cancelled", {}, [](auto& t) { t.Click(IDC_CAPTIONFONTBUTTON); }, [](auto&) {}},
  };
  const int positions[] = {IDC_CAPTIONOFFRADIO, IDC_BELOWIMAGERADIO, IDC_ABOVEIMAGERADIO,
                           IDC_BOTTOMSCREENRADIO, IDC_TOPSCREENRADIO, IDC_FIXEDRADIO};
  for (int p = cpOff; p <= cpFixed; ++p)
    cases.push_back({"caption position " + std::to_string(p),
                     [p](auto& s) { s.CaptionPosition = static_cast<TCaptionPosition>(p == cpFixed ? cpOff : cpFixed); },
                     [id = positions[p]](auto& t) { t.Click(id); },
                     [p](auto& s) { s.CaptionPosition = static_cast<TCaptionPosition>(p); }});
  for (const TOptionCheck& k : OptionChecks())
    cases.push_back({k.Control, {}, [id = OptionCheckControl(k.Control)](auto& t) { t.Click(id); },
                     [k](auto& s) { s.*k.Setting = !(s.*k.Setting); }});

  // What OK hands over is ReadControls (the OK path itself is tested below);
  // showing the window again loads it afresh from its record.
  TSaverSetting everything;  // every change at once, for the way back
  bool defaultRecord = false;
  for (const Case& c : cases) {
    TSaverSetting given;
    if (c.given) c.given(given);
    if (c.given || !defaultRecord) Open(given);
    else form->Show();
    defaultRecord = !c.given;
    TSaverSetting expected = given;
    c.expect(expected);
    c.expect(everything);
    script.font.reset();
    c.act(*this);
    TSaverSetting back = given;
    ApplyControls(form->ReadControls(), back, nullptr);
    EXPECT_TRUE(back == expected) << c.what;
  }
  // And back: the builder shows each setting as it was given, and OK gives it again.
  Open(everything);
  EXPECT_TRUE(OkRecord(everything) == everything);
  // The font dialog opened on the sample's font.
  ASSERT_FALSE(script.fontsOffered.empty());
  EXPECT_EQ(script.fontsOffered[0], FontChoiceOf(FontSampleFor(TSaverSetting{})));
}

TEST_F(BuilderFormTest, CancelAndUndoGiveNothingBackAndTheCloseBoxSaves) {
  struct Case { const char* how; std::function<void(BuilderFormTest&)> close; bool saves; } cases[] = {
      {"Cancel", [](auto& t) { SendMessageA(t.OnPage(bpImages, IDC_CANCELBUTTON), BM_CLICK, 0, 0); }, false},
      {"Undo and Exit", [](auto& t) { t.Menu(IDM_UNDOEXIT); }, false},
      {"Escape does nothing", [](auto& t) {
         SendMessageA(t.form->Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }, false},
      {"OK of another page", [](auto& t) { SendMessageA(t.OnPage(bpOptions, IDC_OKBUTTON), BM_CLICK, 0, 0); }, true},
      {"Save and Exit", [](auto& t) { t.Menu(IDM_EXIT1); }, true},
      {"close box", [](auto& t) { SendMessageA(t.form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }, true},
  };
  for (const Case& c : cases) {
    Open();
    std::optional<int32_t> offered;
    form->OnAccept = [&](const TConfigControls& edited) { offered = edited.IntervalEdit; };
    Type(IDC_INTERVALEDIT, "99");
    c.close(*this);
    const bool escape = std::string(c.how) == "Escape does nothing";
    EXPECT_EQ(closed, !escape) << c.how;
    EXPECT_EQ(offered.has_value(), c.saves) << c.how;
    EXPECT_EQ(form->Result().has_value(), c.saves) << c.how;
    if (c.saves) {
      EXPECT_EQ(*offered, 99) << c.how;
    }
    // Only a way out that would lose the change asks first (answered No).
    const bool asks = !c.saves && !escape;
    EXPECT_EQ(script.asked, asks ? std::vector<std::string>{"Save changes?"} : std::vector<std::string>{}) << c.how;
    script.asked.clear();
  }
}

TEST_F(BuilderFormTest, SaveChangesAnsweredYesSavesCancelStaysAndNoChangeNeverAsks) {
  const auto cancel = [this] { SendMessageA(OnPage(bpImages, IDC_CANCELBUTTON), BM_CLICK, 0, 0); };
  Open();
  std::optional<int32_t> offered;
  form->OnAccept = [&](const TConfigControls& edited) { offered = edited.IntervalEdit; };
  cancel();  // nothing changed: gone without a question
  EXPECT_TRUE(closed);
  EXPECT_TRUE(script.asked.empty());
  Open();
  form->OnAccept = [&](const TConfigControls& edited) { offered = edited.IntervalEdit; };
  Type(IDC_INTERVALEDIT, "42");
  script.answer = platform::TAnswer::Cancel;
  cancel();
  EXPECT_FALSE(closed);
  EXPECT_EQ(WindowText(C(IDC_INTERVALEDIT)), "42");
  script.answer = platform::TAnswer::Yes;
  cancel();
  EXPECT_TRUE(closed);
  ASSERT_TRUE(offered.has_value());
  EXPECT_EQ(*offered, 42);
  EXPECT_EQ(script.asked.size(), 2u);
  script.answer = platform::TAnswer::No;
}

TEST_F(BuilderFormTest, ASaveThatFailsIsShownAndTheWindowStaysOpen) {
  Open();
  int asked = 0;
  form->OnAccept = [&](const TConfigControls&) {
    if (++asked == 1) throw std::runtime_error("The settings file could not be written.");
  };
  Type(IDC_INTERVALEDIT, "8");
  EXPECT_FALSE(Ok());
  EXPECT_EQ(errors, std::vector<std::string>{"The settings file could not be written."});
  EXPECT_FALSE(closed);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(WindowText(C(IDC_INTERVALEDIT)), "8");
  const std::optional<TConfigControls> back = Ok();
  ASSERT_TRUE(back);
  EXPECT_EQ(back->IntervalEdit, 8);
  EXPECT_EQ(asked, 2);
}

TEST_F(BuilderFormTest, TheHelpMenuAsksTheShell) {
  Open();
  struct Case { int item; platform::TShellRequest request; } cases[] = {
      {IDM_DEFAULTSAVER, {"install", ProgramFile(), "", ""}},
      {IDM_HELP2, {"", kMakerWebsite, "", ""}},  // no help file in the install folder
      {IDM_HOMEPAGE1, {"", kMakerWebsite, "", ""}},
      {IDM_EMAIL1, {"", std::string("mailto:") + kMakerEmail, "", ""}},
  };
  for (const Case& c : cases) {
    script.shell.clear();
    Menu(c.item);
    ASSERT_EQ(script.shell.size(), 1u) << c.item;
    EXPECT_EQ(script.shell[0], c.request) << c.item;
  }
  install.Write("help.chm", "help");
  script.shell.clear();
  Menu(IDM_HELP2);
  ASSERT_EQ(script.shell.size(), 1u);
  EXPECT_EQ(script.shell[0], (platform::TShellRequest{"Open", install.Path("help.chm"), "", ""}));
}

// ---- The previews: on the unsaved settings, never on disk.

class BuilderPreviewTest : public BuilderFormTest {
 public:
  // Runs the message loop for a while, as the builder's does.
  static void Pump(DWORD ms) {
    const DWORD until = GetTickCount() + ms;
    MSG msg;
    while (static_cast<LONG>(until - GetTickCount()) > 0) {
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        EXPECT_NE(msg.message, static_cast<UINT>(WM_QUIT)) << "a preview ended the program";
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      Sleep(10);
    }
  }
};

TEST_F(BuilderPreviewTest, FullScreenShowsTheUnsavedSettingsAndReturnsToTheBuilder) {
  const std::string a = Picture("a.bmp"), b = Picture("b.bmp");
  const std::string text = "[Set]\r\nImageInterval=9\r\n[Pictures]\r\n" + a + "=1\r\n";
  Open({}, text);
  script.files = {b};
  Click(IDC_ADDIMAGES);
  Type(IDC_INTERVALEDIT, "42");
  // With every way out switched off, the preview still ends on a key.
  for (int id : {IDC_MOUSEMOVECHECK, IDC_MOUSEPRESSCHECK, IDC_KEYBOARDCHECK}) Click(id);
  for (int time = 0; time < 2; ++time) {
    const HWND before = form->FullscreenWindow();
    Menu(IDM_PREVIEW1);
    HWND show = form->FullscreenWindow();
    ASSERT_NE(show, nullptr);
    if (time == 1) {
      EXPECT_EQ(show, before) << "the preview's window is kept for the next time";
    }
    EXPECT_TRUE(IsWindowVisible(show));
    EXPECT_TRUE(GetWindowLongA(show, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(form->PreviewSetting().ImageInterval, 42);
    EXPECT_EQ(form->PreviewSetting().Pictures, (std::vector<std::string>{a, b}));
    EXPECT_FALSE(form->PreviewSetting().MouseMove || form->PreviewSetting().MousePress);
    Pump(300);
    SendMessageA(show, WM_KEYDOWN, 'A', 0);
    EXPECT_FALSE(IsWindowVisible(show)) << "a key ends the preview";
    EXPECT_TRUE(IsWindowVisible(form->Handle())) << "back to the builder";
    Pump(100);
  }
  // F2 is the same preview; the Fullscreen button too.
  EXPECT_TRUE(PressKey(*form, VK_F2, false));
  EXPECT_TRUE(IsWindowVisible(form->FullscreenWindow()));
  SendMessageA(form->FullscreenWindow(), WM_KEYDOWN, 'A', 0);
  Click(IDC_FULLSCREEN);
  EXPECT_TRUE(IsWindowVisible(form->FullscreenWindow()));
  SendMessageA(form->FullscreenWindow(), WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(ini->Document().Text(), text);
  EXPECT_EQ(dir.Read("VantaSaver.002"), text) << "a preview wrote to the file";
  // OK still gives back what the controls hold, exits off included.
  const std::optional<TConfigControls> back = Ok();
  ASSERT_TRUE(back);
  EXPECT_FALSE(back->KeyboardCheck);
}

TEST_F(BuilderPreviewTest, TheSmallPreviewRunsInThePicturePanelUntilAPictureIsClicked) {
  const std::string a = Picture("a.bmp", 320, 240), b = Picture("b.bmp", 320, 240);
  const std::string text = "[Set]\r\nImageInterval=1\r\nEffectSpeed=1\r\n[Pictures]\r\n" + a + "=1\r\n" + b +
                           "=1\r\n";
  Open({}, text);
  EXPECT_EQ(form->Pages().Images.PreviewWindow(), nullptr);
  Type(IDC_INTERVALEDIT, "3");
  Click(IDC_PREVIEWB2);
  HWND preview = form->Pages().Images.PreviewWindow();
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(GetParent(preview), C(IDC_FSPANEL));
  RECT panel, inside;
  GetClientRect(C(IDC_FSPANEL), &panel);
  GetClientRect(preview, &inside);
  EXPECT_TRUE(EqualRect(&panel, &inside)) << "the preview fills the panel";
  EXPECT_EQ(form->PreviewSetting().ImageInterval, 3);
  Pump(500);  // the first picture comes after 100 ms
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  // A click on a picture brings the thumbnail back.
  Pick(IDC_IMAGELIST, 1);
  EXPECT_EQ(form->Pages().Images.PreviewWindow(), nullptr);
  EXPECT_FALSE(form->Pages().Images.Thumbnail().Empty());
  // Again: the same runner in the same window.
  Click(IDC_PREVIEWB2);
  EXPECT_EQ(form->Pages().Images.PreviewWindow(), preview);
  Pump(300);
  EXPECT_EQ(dir.Read("VantaSaver.002"), text) << "a preview wrote to the file";
  std::string all;
  for (const std::string& p : test::LayoutProblems(form->Handle())) all += "\n  " + p;
  EXPECT_TRUE(all.empty()) << all;
  Click(IDC_CLEARIMAGES);
  EXPECT_EQ(form->Pages().Images.PreviewWindow(), nullptr);
  EXPECT_TRUE(errors.empty());
}

// ---- The Effects page.

// The builder opens on the pages a user meets first; the others are made
// when first shown, and until then give back what they were given.
TEST_F(BuilderFormTest, PagesAreMadeAtTheirFirstShowingAndKeepTheirValuesTillThen) {
  TSaverSetting s;
  s.ImageInterval = 42;
  s.EffectSpeed = 2;
  s.StretchImage = true;
  s.CaptionPosition = cpFixed;
  s.Author = "Ann Example";
  Open(s);
  EXPECT_TRUE(form->Pages()[bpImages].Made() && form->Pages()[bpMusic].Made());
  for (TBuilderPage page : {bpEffects, bpOptions, bpBuild}) EXPECT_FALSE(form->Pages()[page].Made()) << page;
  const TConfigControls unshown = form->ReadControls();
  EXPECT_EQ(unshown.IntervalEdit, 42);
  EXPECT_EQ(unshown.AuthorEdit, "Ann Example");
  for (TBuilderPage page : {bpOptions, bpBuild, bpEffects}) {
    SideBar(page);
    EXPECT_TRUE(form->Pages()[page].Made()) << page;
    EXPECT_EQ(VisiblePage(), page);
  }
  EXPECT_EQ(WindowText(C(IDC_INTERVALEDIT)), "42");
  EXPECT_TRUE(Checked(IDC_STRETCHRADIO));
  EXPECT_TRUE(Checked(IDC_FIXEDRADIO));
  EXPECT_EQ(WindowText(C(IDC_AUTHOREDIT)), "Ann Example");
  EXPECT_EQ(SendMessageA(C(IDC_SPEEDSCROLLBAR), TBM_GETPOS, 0, 0), 3);  // speed 2: position 5 - 2
  // The same record (the effects aside: the tree unticks 119..122 when filled).
  TConfigControls shown = form->ReadControls();
  shown.EffectTicks = unshown.EffectTicks;
  shown.UntickedEffects = unshown.UntickedEffects;
  EXPECT_TRUE(shown == unshown) << "the pages shown gave back other values";
  EXPECT_TRUE(errors.empty());
}

TEST_F(BuilderFormTest, TheEffectTreeIsFilledOnTheFirstVisitFromTheSet) {
  TSaverSetting s;
  for (int32_t n : {1, 2, 3, 40, 118}) s.Transitions.reset(static_cast<size_t>(n));
  Open(s);
  form->Pages().Effects.Make();  // made, as for a control of it, but not shown
  ASSERT_EQ(TreeItems().size(), 139u);
  for (HTREEITEM item : TreeItems()) EXPECT_FALSE(TreeTicked(item)) << "ticked before the first visit";

  const auto start = std::chrono::steady_clock::now();
  SideBar(bpEffects);
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("[ measure ] effect tree filled and Effects page first shown: %.1f ms\n", ms);

  const std::vector<TExpectedNode> expected = ExpectedTree(s.Transitions);
  const std::vector<HTREEITEM> items = TreeItems();
  ASSERT_EQ(items.size(), expected.size());
  int groups = 0, unticked = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(TreeText(items[i]), expected[i].Caption) << i;
    EXPECT_EQ(TreeTicked(items[i]), expected[i].Ticked) << expected[i].Caption << " at " << i;
    if (expected[i].Number < 0) {
      ++groups;
      EXPECT_FALSE(TreeView_GetItemState(C(IDC_STYLELIST), items[i], TVIS_EXPANDED) & TVIS_EXPANDED)
          << expected[i].Caption << " is not collapsed";
    } else if (!expected[i].Ticked) {
      ++unticked;
    }
    if (expected[i].Number >= 119 && expected[i].Number <= 122) {
      EXPECT_FALSE(TreeTicked(items[i]));
    }
  }
  EXPECT_EQ(groups, 12);
  EXPECT_EQ(unticked, 4 + 5) << "119..122 and the five taken out";
  // A second visit leaves the ticks as the user set them.
  Click(IDC_DISABLEALL);
  SideBar(bpImages);
  SideBar(bpEffects);
  for (HTREEITEM item : TreeItems()) EXPECT_FALSE(TreeTicked(item));
  // "+" and "-".
  Click(IDC_EXPANDALL);
  for (HTREEITEM g = TreeView_GetRoot(C(IDC_STYLELIST)); g; g = TreeView_GetNextSibling(C(IDC_STYLELIST), g))
    EXPECT_TRUE(TreeView_GetItemState(C(IDC_STYLELIST), g, TVIS_EXPANDED) & TVIS_EXPANDED);
  Click(IDC_COLLAPSEALL);
  for (HTREEITEM g = TreeView_GetRoot(C(IDC_STYLELIST)); g; g = TreeView_GetNextSibling(C(IDC_STYLELIST), g))
    EXPECT_FALSE(TreeView_GetItemState(C(IDC_STYLELIST), g, TVIS_EXPANDED) & TVIS_EXPANDED);
  EXPECT_TRUE(errors.empty());
}

TEST_F(BuilderFormTest, TicksCoupleGroupsToTheirEffectsAndOkGivesThemBack) {
  Open();
  SideBar(bpEffects);
  const std::vector<TExpectedNode> expected = ExpectedTree(TSaverSetting{}.Transitions);
  std::vector<HTREEITEM> items = TreeItems();
  HWND tree = C(IDC_STYLELIST);
  // "Arc Wiping" unticked by its box: its ten effects follow.
  ASSERT_TRUE(TreeTicked(items[0]));
  ClickNode(items[0], true);
  EXPECT_FALSE(TreeTicked(items[0]));
  for (size_t i = 1; i <= 10; ++i) EXPECT_FALSE(TreeTicked(items[i])) << expected[i].Caption;
  EXPECT_TRUE(TreeTicked(items[12])) << "the next group changed";
  // An effect ticked again by Space: its group stays unticked.
  TreeView_Expand(tree, items[0], TVE_EXPAND);
  SpaceOn(items[3]);
  EXPECT_TRUE(TreeTicked(items[3]));
  EXPECT_FALSE(TreeTicked(items[0]));
  // The group ticked again by a click ticks all its effects.
  ClickNode(items[0], true);
  for (size_t i = 0; i <= 10; ++i) EXPECT_TRUE(TreeTicked(items[i])) << expected[i].Caption;
  // Unticking the last ticked effect of "Regular Wiping" leaves its group ticked.
  TreeView_Expand(tree, items[11], TVE_EXPAND);
  for (size_t i = 12; i <= 21; ++i) ClickNode(items[i], true);
  for (size_t i = 12; i <= 21; ++i) EXPECT_FALSE(TreeTicked(items[i])) << expected[i].Caption;
  EXPECT_TRUE(TreeTicked(items[11]));

  const std::optional<TConfigControls> back = Ok();
  ASSERT_TRUE(back);
  EXPECT_TRUE(back->ChangedSections & csTransitions);
  // The unticked effects in tree order: "Regular Wiping"'s ten, then 119..122.
  std::vector<int32_t> off;
  TEffectSet on;
  for (size_t i = 0; i < expected.size(); ++i) {
    if (expected[i].Number < 0) continue;
    const bool ticked = expected[i].Ticked && !(i >= 12 && i <= 21);
    if (ticked) on.set(static_cast<size_t>(expected[i].Number));
    else off.push_back(expected[i].Number);
  }
  EXPECT_EQ(back->UntickedEffects, off);
  EXPECT_EQ(back->EffectTicks, on);
  EXPECT_EQ(off.size(), 14u);
  EXPECT_TRUE(errors.empty());
}

TEST_F(BuilderFormTest, SelectAllAndDisableAllMarkTheTransitions) {
  Open();
  SideBar(bpEffects);
  Click(IDC_DISABLEALL);
  for (HTREEITEM item : TreeItems()) EXPECT_FALSE(TreeTicked(item));
  Click(IDC_SELECTALL);
  for (HTREEITEM item : TreeItems()) EXPECT_TRUE(TreeTicked(item));
  const std::optional<TConfigControls> back = Ok();
  ASSERT_TRUE(back);
  EXPECT_TRUE(back->ChangedSections & csTransitions);
  EXPECT_TRUE(back->UntickedEffects.empty());
  EXPECT_TRUE(back->EffectTicks.test(120)) << "ticked in the builder, 119..122 stay in the set";
}

// The right button selects the node under the pointer as the left does,
// and turns no tick; a right click on no node leaves the selection.
TEST_F(BuilderFormTest, ARightClickSelectsTheNodeUnderThePointer) {
  Open();
  SideBar(bpEffects);
  HWND tree = C(IDC_STYLELIST);
  const std::vector<HTREEITEM> items = TreeItems();
  TreeView_Expand(tree, items[0], TVE_EXPAND);
  TreeView_SelectItem(tree, items[0]);
  std::vector<bool> ticks;
  for (HTREEITEM item : items) ticks.push_back(TreeTicked(item));
  const auto rightClick = [&](POINT at) {
    PostMessageA(tree, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageA(tree, WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    Drain();
  };
  const auto middleOf = [&](HTREEITEM item) {
    TreeView_EnsureVisible(tree, item);
    RECT r{};
    EXPECT_TRUE(TreeView_GetItemRect(tree, item, &r, TRUE));
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  };
  const struct { const char* what; size_t node; } cases[] = {
      {"an effect of the open group", 4}, {"another effect", 9}, {"the next group", 11}, {"the first group", 0}};
  for (const auto& c : cases) {
    rightClick(middleOf(items[c.node]));
    EXPECT_EQ(TreeView_GetSelection(tree), items[c.node]) << c.what;
  }
  RECT client;
  GetClientRect(tree, &client);
  Click(IDC_COLLAPSEALL);  // selecting a group opened it: all closed, room below them
  TreeView_EnsureVisible(tree, items[0]);
  rightClick({client.right / 2, client.bottom - 2});  // below the twelve groups
  EXPECT_EQ(TreeView_GetSelection(tree), items[0]) << "no node there: the selection stays";
  for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(TreeTicked(items[i]), ticks[i]) << TreeText(items[i]);
  EXPECT_FALSE(form->ReadControls().ChangedSections & csTransitions) << "a right click is no tick";
  EXPECT_TRUE(errors.empty());
}

TEST_F(BuilderPreviewTest, AClickInTheTreePreviewsItsEffectAtOnceAndTheSpeedAppliesAtOnce) {
  TSaverSetting given;  // t1.jpg and t2.jpg are beside the program
  given.Pictures = {Picture("a.bmp")};  // without pictures the preview stands still
  given.ImageInterval = 60;
  Open(given);
  EXPECT_EQ(form->Pages().Effects.PreviewRunner(), nullptr);
  SideBar(bpEffects);
  TRunVantascreen* run = form->Pages().Effects.PreviewRunner();
  ASSERT_NE(run, nullptr);
  EXPECT_TRUE(run->Preview);
  EXPECT_TRUE(run->Demo);
  EXPECT_EQ(run->DemoStyle, 59);
  EXPECT_EQ(GetParent(form->Pages().Effects.PreviewWindow()), C(IDC_FSPANEL2));
  RECT panel, inside;
  GetClientRect(C(IDC_FSPANEL2), &panel);
  GetClientRect(form->Pages().Effects.PreviewWindow(), &inside);
  EXPECT_TRUE(EqualRect(&panel, &inside)) << "the preview fills the panel";
  SideBar(bpImages);
  SideBar(bpEffects);
  EXPECT_EQ(form->Pages().Effects.PreviewRunner(), run) << "one runner for the window's life";

  const std::vector<TExpectedNode> expected = ExpectedTree(TSaverSetting{}.Transitions);
  const std::vector<HTREEITEM> items = TreeItems();
  // A group previews its first effect, an effect its own, without waiting
  // for the picture interval.
  ASSERT_EQ(form->PreviewSetting().ImageInterval, 60);
  size_t splash = 0;
  for (size_t i = 0; i < expected.size(); ++i)
    if (expected[i].Caption == "Splash Show") splash = i;
  ASSERT_NE(splash, 0u);
  ClickNode(items[splash], false);
  EXPECT_EQ(run->DemoStyle, expected[splash + 1].Number);
  EXPECT_EQ(static_cast<int32_t>(run->Surface().Style), expected[splash + 1].Number);
  EXPECT_TRUE(run->Surface().Running()) << "the transition did not start at once";
  TreeView_Expand(C(IDC_STYLELIST), items[splash], TVE_EXPAND);
  ClickNode(items[splash + 3], false);
  EXPECT_EQ(run->DemoStyle, expected[splash + 3].Number);
  EXPECT_EQ(static_cast<int32_t>(run->Surface().Style), expected[splash + 3].Number);
  EXPECT_TRUE(run->Surface().Running());
  EXPECT_FALSE(form->ReadControls().ChangedSections & csTransitions) << "a click on a caption is no tick";

  // The speed bar: the preview's step and delay at once, the record's
  // speed for the preview, and the file not touched.
  for (const auto& [position, speed] : {std::pair{4, 1}, std::pair{0, 5}}) {
    SetSpeed(position);
    EXPECT_EQ(form->PreviewSetting().EffectSpeed, speed);
    EXPECT_EQ(run->Surface().Step(), kEffectSpeeds[speed - 1].Step);
    EXPECT_EQ(run->Surface().Delay.load(), kEffectSpeeds[speed - 1].Delay);
    // Frames a second of a whole transition in the panel.
    int frames = 0;
    std::chrono::steady_clock::time_point first, last;
    run->Surface().OnProgress = [&](TCustomVantascreen&) {
      last = std::chrono::steady_clock::now();
      if (frames++ == 0) first = last;
    };
    ClickNode(items[splash + 3], false);
    const DWORD until = GetTickCount() + 6000;
    while (run->Surface().Running() && static_cast<LONG>(until - GetTickCount()) > 0) Pump(20);
    run->Surface().OnProgress = nullptr;
    const double seconds = std::chrono::duration<double>(last - first).count();
    std::printf("[ measure ] effect preview at speed %d: %d frames in %.3f s, %.1f frames a second\n", speed,
                frames, seconds, seconds > 0 ? (frames - 1) / seconds : 0.0);
    EXPECT_GT(frames, 2);
    // A frame lasts at least its delay: a slow machine only slows it.
    if (frames > 20) {
      EXPECT_GE(seconds * 1000, (frames - 1) * 0.9 * kEffectSpeeds[speed - 1].Delay) << "frames too short";
    }
  }
  EXPECT_EQ(dir.Read("VantaSaver.002"), "") << "the speed reached the file before a save";
  EXPECT_TRUE(errors.empty());
}

}  // namespace
}  // namespace vanta
