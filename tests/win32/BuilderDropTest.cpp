// Files dropped on the builder's lists, through the OLE drop target as the
// system's drag loop calls it, with data objects made by the test: what each
// source gets as its effect, what reaches the lists, that every storage
// medium is released, and that the target is revoked before it goes.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>

#include "../unit/PictureWriters.h"
#include "Win32TestSupport.h"
#include "builder/ConfigFormP.h"
#include "builder/QELOLEDrop.h"
#include "music/MusicSet.h"
#include "settings/SaverSettings.h"

namespace vanta {
namespace {

// Gives back a medium's memory when the receiver releases the medium, and
// counts the media not yet released.
class TMediumRelease final : public IUnknown {
 public:
  TMediumRelease(HGLOBAL memory, int& outstanding) : memory_(memory), outstanding_(outstanding) { ++outstanding_; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    if (--refs_ > 0) return refs_;
    GlobalFree(memory_);
    --outstanding_;
    delete this;
    return 0;
  }

 private:
  HGLOBAL memory_;
  int& outstanding_;
  ULONG refs_ = 1;
};

// A drag source's data: blocks of memory by clipboard format.
class TFakeData final : public IDataObject {
 public:
  std::map<CLIPFORMAT, std::string> blocks;
  int outstanding = 0;  // media handed out and not released
  int gets = 0;
  LONG refs = 1;

  void Offer(const char* registeredName, const std::string& block) {
    blocks[static_cast<CLIPFORMAT>(RegisterClipboardFormatA(registeredName))] = block;
  }
  // The shell's file list: a DROPFILES header, then the wide names.
  void OfferFiles(const std::vector<std::wstring>& names) {
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    std::string block(reinterpret_cast<const char*>(&header), sizeof header);
    for (const std::wstring& n : names)
      block.append(reinterpret_cast<const char*>(n.c_str()), (n.size() + 1) * sizeof(wchar_t));
    block.append(sizeof(wchar_t), '\0');
    blocks[CF_HDROP] = block;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDataObject)) {
      *object = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }  // lives on the test's stack
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* fe, STGMEDIUM* medium) override {
    const auto found = blocks.find(fe->cfFormat);
    if (found == blocks.end() || !(fe->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, found->second.size());
    CopyMemory(GlobalLock(memory), found->second.data(), found->second.size());
    GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = new TMediumRelease(memory, outstanding);
    ++gets;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* fe) override {
    return blocks.count(fe->cfFormat) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
};

std::wstring Wide(const std::string& s) {
  std::wstring w(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, w.data(), static_cast<int>(w.size()));
  w.pop_back();
  return w;
}

constexpr DWORD kAnyEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// A whole drag as the system's loop makes it: enter, move, drop. The
// effects each step answered.
struct TDragResult {
  DWORD enter = 0, over = 0, drop = 0;
  HRESULT overResult = S_OK;
};
TDragResult DragAndDrop(IDropTarget& target, IDataObject& data, DWORD allowed = kAnyEffect) {
  TDragResult r;
  const POINTL at{10, 10};
  r.enter = allowed;
  EXPECT_EQ(target.DragEnter(&data, 0, at, &r.enter), S_OK);
  r.over = allowed;
  r.overResult = target.DragOver(0, at, &r.over);
  r.drop = allowed;
  EXPECT_EQ(target.Drop(&data, 0, at, &r.drop), S_OK);
  // The window goes on with what the drop left it to do once the source's
  // loop has ended.
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  return r;
}

class BuilderDropTest : public ::testing::Test {
 public:
  void TearDown() override { form.reset(); }
  void Open(const std::string& text = "") {
    ini = std::make_unique<TIniFile>(dir.Write("VantaSaver.002", text));
    form = std::make_unique<TVantaConfigForm>(
        TSaverSetting{}, *ini, TBuilderPlaces{"\\", "VantaSaver.scr", "", "", ""},
        TBuilderSeams{main.scheduler, shell, platform::SystemRegistry(), main.music});
    form->OnError = [this](const std::string& m) { errors.push_back(m); };
    form->Show();
  }
  std::vector<std::string> Texts(const TMediaList& list) {
    std::vector<std::string> out;
    for (const TListEntry& e : list.Items) out.push_back(e.Text);
    return out;
  }

  test::TTestMain main;  // before the form, which runs on it
  test::TScriptedShell shell;
  test::TTempDir dir;
  std::unique_ptr<TIniFile> ini;
  std::unique_ptr<TVantaConfigForm> form;
  std::vector<std::string> errors;
};

TEST_F(BuilderDropTest, FilesDroppedOnTheListsAreCopiedAsTheirRulesSay) {
  const std::string picture = dir.Write("a.bmp", test::MakeBmp(test::ReferencePicture(16, 16)));
  Open();
  ASSERT_TRUE(form->Pages().Images.DropTarget()->Registered());
  ASSERT_TRUE(form->Pages().Music.DropTarget()->Registered());

  TFakeData files;
  files.Offer("FileName", "C:\\a.bmp");
  files.OfferFiles({Wide(picture), L"C:\\notes.txt", L"C:\\song.MP3", L"C:\\Folder"});
  const TDragResult r = DragAndDrop(*form->Pages().Images.DropTarget()->DropTarget(), files);
  EXPECT_EQ(r.enter, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(r.over, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(r.drop, static_cast<DWORD>(DROPEFFECT_COPY)) << "the source must never move what was dropped";
  TConfigControls c = form->ReadControls();
  EXPECT_EQ(Texts(c.ImageList), std::vector<std::string>{picture});
  EXPECT_EQ(c.ImageList.Selected, 0);
  EXPECT_EQ(c.ChangedSections, csPictures);
  EXPECT_FALSE(form->Pages().Images.Thumbnail().Empty()) << "the dropped picture shows";

  // The same files on the music list: only the music, once, however often dropped.
  DragAndDrop(*form->Pages().Music.DropTarget()->DropTarget(), files);
  DragAndDrop(*form->Pages().Music.DropTarget()->DropTarget(), files);
  c = form->ReadControls();
  EXPECT_EQ(Texts(c.MusicList), std::vector<std::string>{"C:\\song.MP3"});
  EXPECT_EQ(c.ChangedSections, csPictures | csMusic);

  // Every medium read was given back, and the data object let go.
  EXPECT_GT(files.gets, 0);
  EXPECT_EQ(files.outstanding, 0);
  EXPECT_EQ(files.refs, 1);
  EXPECT_TRUE(errors.empty());
}

// Names in any language arrive whole (the program's code page is UTF-8)
// and are written to the settings file as UTF-8, readable by any copy.
TEST_F(BuilderDropTest, NamesInAnyLanguageAreListedAndWrittenAsUtf8) {
  const std::string photo = dir.Write("\u5199\u771f.bmp", test::MakeBmp(test::ReferencePicture(16, 16)));
  const std::string summer = dir.Path("\u00c9t\u00e9.jpg"), song = dir.Path("\u97f3\u697d.mp3");
  Open();
  TFakeData files;  // as the file manager offers them
  files.Offer("FileName", photo);
  files.OfferFiles({Wide(summer), Wide(photo), Wide(song)});  // the last picture shows
  DragAndDrop(*form->Pages().Images.DropTarget()->DropTarget(), files);
  DragAndDrop(*form->Pages().Music.DropTarget()->DropTarget(), files);
  const TConfigControls c = form->ReadControls();
  EXPECT_EQ(Texts(c.ImageList), (std::vector<std::string>{summer, photo}));
  EXPECT_EQ(Texts(c.MusicList), std::vector<std::string>{song});
  EXPECT_FALSE(form->Pages().Images.Thumbnail().Empty()) << photo << " does not show";
  // An Éte.jpg in other letter case is the same picture.
  TFakeData again;
  again.Offer("FileName", "C:\\x.jpg");
  again.OfferFiles({Wide(dir.Path("\u00e9T\u00c9.JPG"))});
  DragAndDrop(*form->Pages().Images.DropTarget()->DropTarget(), again);
  EXPECT_EQ(form->ReadControls().ImageList.Items.size(), 2u);

  TSaverSetting setting;
  ApplyControls(c, setting, ini.get());
  ini->UpdateFile();
  const std::string written = dir.Read("VantaSaver.002");
  EXPECT_NE(written.find(photo + "=1\r\n"), std::string::npos) << written;
  EXPECT_NE(written.find(summer + "=1\r\n"), std::string::npos) << written;
  EXPECT_NE(written.find(song + "=1\r\n"), std::string::npos) << written;
  EXPECT_TRUE(errors.empty()) << errors.front();
}

// A picture that cannot be shown is reported after the drop has returned:
// the box must not hold up the source's drag loop (the file manager).
TEST_F(BuilderDropTest, ABrokenPictureIsReportedAfterTheDropReturns) {
  const std::string broken = dir.Write("broken.jpg", "not a picture");
  Open();
  TFakeData files;
  files.Offer("FileName", broken);
  files.OfferFiles({Wide(broken)});
  IDropTarget& target = *form->Pages().Images.DropTarget()->DropTarget();
  DWORD effect = kAnyEffect;
  ASSERT_EQ(target.DragEnter(&files, 0, POINTL{10, 10}, &effect), S_OK);
  effect = kAnyEffect;
  ASSERT_EQ(target.Drop(&files, 0, POINTL{10, 10}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_TRUE(errors.empty()) << "reported inside the drop";
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("broken.jpg"), std::string::npos) << errors[0];
  EXPECT_EQ(Texts(form->ReadControls().ImageList), std::vector<std::string>{broken}) << "listed all the same";
}

TEST_F(BuilderDropTest, OtherSourcesGetTheirEffectAndLeaveTheListsAlone) {
  Open();
  struct Case {
    const char* what;
    std::function<void(TFakeData&)> offer;
    DWORD allowed;
    DWORD effect;
    HRESULT overResult;
  } cases[] = {
      {"an Internet shortcut, also offering a file name",
       [](TFakeData& d) {
         d.Offer("UniformResourceLocator", std::string("https://example.org/\0", 21));
         d.Offer("FileName", "C:\\link.url");
         d.OfferFiles({L"C:\\x.jpg"});
       },
       kAnyEffect, DROPEFFECT_LINK, S_OK},
      {"a mail attachment",
       [](TFakeData& d) {
         d.Offer("FileGroupDescriptor", std::string(76, '\0') + "photo.jpg");
         d.Offer("FileName", "C:\\photo.jpg");
       },
       kAnyEffect, DROPEFFECT_NONE, S_OK},
      {"the shell's list without a file name", [](TFakeData& d) { d.OfferFiles({L"C:\\x.jpg"}); }, kAnyEffect,
       DROPEFFECT_NONE, S_OK},
      {"files from a source that only moves",
       [](TFakeData& d) {
         d.Offer("FileName", "C:\\x.jpg");
         d.OfferFiles({L"C:\\x.jpg"});
       },
       DROPEFFECT_MOVE, DROPEFFECT_NONE, S_OK},
      {"nothing known", [](TFakeData& d) { d.blocks[CF_BITMAP] = "bits"; }, kAnyEffect, DROPEFFECT_NONE, S_FALSE},
      {"a file name and no list: nothing to take",
       [](TFakeData& d) { d.Offer("FileName", "C:\\x.jpg"); }, kAnyEffect, DROPEFFECT_COPY, S_OK},
  };
  for (const Case& c : cases) {
    TFakeData data;
    c.offer(data);
    const TDragResult r = DragAndDrop(*form->Pages().Images.DropTarget()->DropTarget(), data, c.allowed);
    EXPECT_EQ(r.over, c.effect) << c.what;
    EXPECT_EQ(r.drop, c.effect) << c.what;
    EXPECT_EQ(r.overResult, c.overResult) << c.what;
    EXPECT_EQ(data.outstanding, 0) << c.what;
    EXPECT_EQ(data.refs, 1) << c.what;
  }
  // The file name without the shell's list is an empty drop: it changes nothing.
  EXPECT_TRUE(form->ReadControls().ImageList.Items.empty());
  EXPECT_EQ(form->ReadControls().ChangedSections, 0);
}

// The component on a window of its own, with every event it raises.
class DropComponentTest : public ::testing::Test {
 public:
  void SetUp() override {
    window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    drop.reset();
    DestroyWindow(window);
  }
  void Load() {
    drop = std::make_unique<TQELOLEDrop>();
    drop->TargetControl = window;
    drop->Events.OnDropURL = [this](TMyDragDrop&, const std::string& url, const std::string& name) {
      seen.push_back("url " + url + " " + name);
    };
    drop->Events.OnDropHTML = [this](TMyDragDrop&, const std::string& url, const std::vector<std::string>& doc,
                                     const std::string& selection) {
      seen.push_back("html " + url + " " + std::to_string(doc.size()) + " " + selection);
    };
    drop->Events.OnDropText = [this](TMyDragDrop&, const std::string& text) { seen.push_back("text " + text); };
    drop->Events.OnDropFiles = [this](TMyDragDrop&, const std::vector<std::string>& names) {
      seen.push_back("files " + std::to_string(names.size()) + (names.empty() ? "" : " " + names[0]));
    };
    drop->Loaded();
  }

  HWND window = nullptr;
  std::unique_ptr<TQELOLEDrop> drop;
  std::vector<std::string> seen;
};

TEST_F(DropComponentTest, EachKindOfDataReachesItsEvent) {
  Load();
  const std::string html =
      "Version:0.9\r\nStartHTML:1\r\nEndHTML:2\r\nStartFragment:3\r\nEndFragment:4\r\nStartSelection:5\r\n"
      "EndSelection:6\r\nSourceURL:https://example.org/page\r\n<b>bold</b>\r\n";
  struct Case { const char* what; std::function<void(TFakeData&)> offer; std::string event; } cases[] = {
      {"a link with its name",
       [](TFakeData& d) {
         d.Offer("UniformResourceLocator", "https://example.org/");
         d.Offer("FileGroupDescriptor", std::string(76, '\0') + std::string("Example Site.url\0", 17));
       },
       "url https://example.org/ Example Site"},
      {"a bookmark without a name",
       [](TFakeData& d) { d.Offer("Netscape Bookmark", std::string("https://example.net/\0tail", 25)); },
       "url https://example.net/ "},
      {"HTML with its selection",
       [&](TFakeData& d) {
         d.Offer("HTML Format", html);
         d.blocks[CF_TEXT] = "bold";
       },
       "html https://example.org/page 9 bold"},
      {"HTML of fewer than eight lines: no address",
       [](TFakeData& d) { d.Offer("HTML Format", "Version:0.9\r\n<b>x</b>\r\n"); }, "html  2 "},
      {"text without its terminating zero", [](TFakeData& d) { d.blocks[CF_TEXT] = "just text"; }, "text just text"},
  };
  for (const Case& c : cases) {
    seen.clear();
    TFakeData data;
    c.offer(data);
    DragAndDrop(*drop->DropTarget(), data);
    EXPECT_EQ(seen, std::vector<std::string>{c.event}) << c.what;
    EXPECT_EQ(data.outstanding, 0) << c.what;
  }
}

TEST_F(DropComponentTest, LongNamesArriveWholeAndEachDropHoldsOnlyItsOwn) {
  Load();
  const std::wstring longName = L"C:\\" + std::wstring(600, L'n') + L".jpg";
  TFakeData first;
  first.Offer("FileName", "x");
  first.OfferFiles({longName, L"C:\\b.jpg"});
  DragAndDrop(*drop->DropTarget(), first);
  TFakeData second;
  second.Offer("FileName", "x");
  second.OfferFiles({L"C:\\only.jpg"});
  DragAndDrop(*drop->DropTarget(), second);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], "files 2 C:\\" + std::string(600, 'n') + ".jpg");
  EXPECT_EQ(seen[1], "files 1 C:\\only.jpg");
}

TEST_F(DropComponentTest, TheWindowIsRevokedBeforeTheTargetGoes) {
  Load();
  ASSERT_TRUE(drop->Registered());
  TMyDragDrop* target = drop->DropTarget();
  // While the component lives, the window has its target.
  TQELOLEDrop other;
  other.TargetControl = window;
  other.Loaded();
  EXPECT_FALSE(other.Registered());
  // Holding the target beyond the component, as a drag in progress would.
  target->AddRef();
  drop.reset();
  // The window is free again: it was revoked.
  TQELOLEDrop again;
  again.TargetControl = window;
  again.Loaded();
  EXPECT_TRUE(again.Registered());
  // The target held on still answers, but raises nothing into its gone owner.
  TFakeData data;
  data.Offer("FileName", "x");
  data.OfferFiles({L"C:\\late.jpg"});
  DragAndDrop(*target, data);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(data.outstanding, 0);
  target->Release();
}

}  // namespace
}  // namespace vanta
