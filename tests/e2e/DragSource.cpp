// Drags files from this process onto a point of the screen, as the file
// manager does: a small window holds the files, the button pressed on it
// starts the system's drag loop (DoDragDrop) with data that offers
// "FileName" and the shell's file list of wide names, and a second thread,
// the user's hand, moves the mouse with the button held and lets go at the
// point. A drop the target answers with "move" deletes the files, as a file
// manager finishing a move would.
//
//   vanta-drag-source X Y FILE...
// Prints "effect N", the effect DoDragDrop returned. Exit code 0 when the
// drop happened with some effect, 1 otherwise (the reason on stderr).
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct TBlock {
  CLIPFORMAT format;
  std::string bytes;
};

// The data of the drag: blocks by format, each handed out as a fresh
// HGLOBAL that the receiver frees (it may live in another process).
class TFileData final : public IDataObject {
 public:
  explicit TFileData(std::vector<TBlock> blocks) : blocks_(std::move(blocks)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDataObject)) {
      *object = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&refs_)); }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* fe, STGMEDIUM* medium) override {
    const TBlock* b = Find(fe);
    if (!b) return DV_E_FORMATETC;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, b->bytes.size());
    if (!memory) return E_OUTOFMEMORY;
    CopyMemory(GlobalLock(memory), b->bytes.data(), b->bytes.size());
    GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* fe) override { return Find(fe) ? S_OK : DV_E_FORMATETC; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> formats;
    for (const TBlock& b : blocks_) formats.push_back({b.format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    return SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  const TBlock* Find(const FORMATETC* fe) const {
    if (!fe || !(fe->tymed & TYMED_HGLOBAL) || fe->dwAspect != DVASPECT_CONTENT) return nullptr;
    for (const TBlock& b : blocks_)
      if (b.format == fe->cfFormat) return &b;
    return nullptr;
  }
  std::vector<TBlock> blocks_;
  LONG refs_ = 1;  // lives on main's stack
};

HANDLE gDragging;  // set when the drag loop first asks whether to go on

// Drops when the button is let go, gives up on Escape.
class TButtonSource final : public IDropSource {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropSource)) {
      *object = static_cast<IDropSource*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on main's stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
    SetEvent(gDragging);
    if (escape) return DRAGDROP_S_CANCEL;
    return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

// The shell's file list: a DROPFILES header, the wide full names, each
// ended by a zero, and a zero after the last.
std::string FileList(const std::vector<std::wstring>& names) {
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.fWide = TRUE;
  std::string block(reinterpret_cast<const char*>(&header), sizeof header);
  for (const std::wstring& n : names)
    block.append(reinterpret_cast<const char*>(n.c_str()), (n.size() + 1) * sizeof(wchar_t));
  block.append(sizeof(wchar_t), '\0');
  return block;
}

// "FileName": the first file in the system's code page, by its short name
// where it has one, so that a name in any language can be spelled.
std::string FirstFileName(const std::wstring& name) {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD n = GetShortPathNameW(name.c_str(), path.data(), MAX_PATH);
  path = n > 0 && n < MAX_PATH ? path.substr(0, n) : name;
  std::string ansi(path.size() * 2 + 1, '\0');
  ansi.resize(static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, ansi.data(),
                                                       static_cast<int>(ansi.size()), nullptr, nullptr)));
  return ansi;  // its terminating zero included
}

void MouseTo(POINT p) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>((p.x * 65536 + 32768) / GetSystemMetrics(SM_CXSCREEN));
  in.mi.dy = static_cast<LONG>((p.y * 65536 + 32768) / GetSystemMetrics(SM_CYSCREEN));
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}

void Button(DWORD flag) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flag;
  SendInput(1, &in, sizeof in);
}

POINT gStart, gTarget;
HWND gWindow;
IDataObject* gData;
IDropSource* gSource;
HRESULT gResult = E_FAIL;
DWORD gEffect = DROPEFFECT_NONE;

// The user's hand: the button down on the files' window; once the drag
// runs, to the target in steps and the button let go there.
DWORD WINAPI Hand(void*) {
  constexpr int kSteps = 10;
  MouseTo(gStart);
  Button(MOUSEEVENTF_LEFTDOWN);
  if (WaitForSingleObject(gDragging, 10000) != WAIT_OBJECT_0) {
    Button(MOUSEEVENTF_LEFTUP);
    PostMessageW(gWindow, WM_CLOSE, 0, 0);
    return 1;
  }
  for (int i = 1; i <= kSteps; ++i) {
    MouseTo({gStart.x + (gTarget.x - gStart.x) * i / kSteps, gStart.y + (gTarget.y - gStart.y) * i / kSteps});
    Sleep(30);
  }
  Sleep(100);
  Button(MOUSEEVENTF_LEFTUP);
  return 0;
}

// As a file manager: the button pressed on a file starts the drag.
LRESULT CALLBACK SourceProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_LBUTTONDOWN) {
    gResult = DoDragDrop(gData, gSource, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &gEffect);
    DestroyWindow(w);
    return 0;
  }
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(w, msg, wp, lp);
}

int Fail(const char* why) {
  std::fprintf(stderr, "drag: %s\n", why);
  return 1;
}

}  // namespace

int main() {
  // Wide arguments: a file name in any language arrives whole.
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 4) return Fail("usage: vanta-drag-source X Y FILE...");
  gTarget = {_wtoi(argv[1]), _wtoi(argv[2])};
  std::vector<std::wstring> files;
  for (int i = 3; i < argc; ++i) {
    std::wstring full(MAX_PATH, L'\0');
    const DWORD n = GetFullPathNameW(argv[i], MAX_PATH, full.data(), nullptr);
    if (n == 0 || n >= MAX_PATH) return Fail("a file name is too long");
    files.push_back(full.substr(0, n));
  }
  if (FAILED(OleInitialize(nullptr))) return Fail("OLE did not start");
  TFileData data({{static_cast<CLIPFORMAT>(RegisterClipboardFormatA("FileName")), FirstFileName(files.front())},
                  {CF_HDROP, FileList(files)}});
  TButtonSource source;
  gData = &data;
  gSource = &source;
  gDragging = CreateEventW(nullptr, TRUE, FALSE, nullptr);

  // The files' window, beside the target, under the mouse.
  gStart = {gTarget.x < 200 ? gTarget.x + 200 : gTarget.x - 200, gTarget.y};
  WNDCLASSW wc{};
  wc.lpfnWndProc = SourceProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = L"VantaDragSource";
  RegisterClassW(&wc);
  gWindow = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Files", WS_POPUP | WS_VISIBLE | WS_BORDER,
                            gStart.x - 20, gStart.y - 20, 40, 40, nullptr, nullptr, wc.hInstance, nullptr);
  if (!gWindow) return Fail("no window to drag from");
  UpdateWindow(gWindow);
  HANDLE hand = CreateThread(nullptr, 0, Hand, nullptr, 0, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  WaitForSingleObject(hand, INFINITE);
  CloseHandle(hand);
  OleUninitialize();
  if (WaitForSingleObject(gDragging, 0) != WAIT_OBJECT_0) return Fail("the button down started no drag");
  std::printf("effect %lu\n", static_cast<unsigned long>(gEffect));
  std::fflush(stdout);
  if (gResult == DRAGDROP_S_DROP && (gEffect & DROPEFFECT_MOVE))
    for (const std::wstring& f : files) DeleteFileW(f.c_str());
  if (gResult != DRAGDROP_S_DROP) return Fail("the drag ended without a drop");
  return gEffect != DROPEFFECT_NONE ? 0 : Fail("the target took nothing");
}
