#include "platform/win32/PictureOpenDialog.h"

#include <algorithm>
#include <string>

#include "platform/win32/PictureDrawing.h"

namespace vanta::platform {
namespace {

TPicturePreviewState* StateOf(HWND hook) {
  return reinterpret_cast<TPicturePreviewState*>(GetWindowLongPtrA(hook, GWLP_USERDATA));
}

std::string DialogText(HWND dialog, UINT message) {
  char buffer[MAX_PATH * 4] = {};
  const LRESULT n = SendMessageA(dialog, message, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
  return n > 0 ? std::string(buffer) : std::string();
}

// The first selected file: the name box holds one name, or several in
// quotes, relative to the folder shown.
std::string SelectedFile(HWND dialog) {
  std::string name = DialogText(dialog, CDM_GETSPEC);
  if (!name.empty() && name.front() == '"') {
    const size_t end = name.find('"', 1);
    name = name.substr(1, end == std::string::npos ? std::string::npos : end - 1);
  }
  if (name.empty()) return {};
  if (name.size() > 2 && (name[1] == ':' || (name[0] == '\\' && name[1] == '\\'))) return name;
  std::string folder = DialogText(dialog, CDM_GETFOLDERPATH);
  if (folder.empty()) return {};
  if (folder.back() != '\\') folder += '\\';
  return folder + name;
}

void ShowPreview(HWND hook, const std::string& file) {
  TPicturePreviewState* state = StateOf(hook);
  if (!state) return;
  state->Thumbnail = {};
  state->SizeText.clear();
  HWND picture = GetDlgItem(hook, kPreviewPictureId);
  if (!file.empty() && state->Draw) {
    RECT box;
    GetClientRect(picture, &box);
    try {
      const std::optional<TPoint> natural =
          state->Draw(file, box.right, box.bottom, state->Background, state->Thumbnail);
      if (natural) state->SizeText = std::to_string(natural->X) + " x " + std::to_string(natural->Y) + " pixels";
      else state->Thumbnail = {};
    } catch (const std::exception&) {
      state->Thumbnail = {};  // browsing shows no error: the preview stays blank
    }
  }
  SetDlgItemTextA(hook, kPreviewSizeId, state->SizeText.c_str());
  InvalidateRect(picture, nullptr, FALSE);
}

// The preview makes the dialog wider than the system planned for: moved
// back inside the work area of its monitor when it sticks out.
void KeepOnScreen(HWND dialog) {
  RECT r;
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  if (!GetWindowRect(dialog, &r) || !GetMonitorInfoA(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &mi)) return;
  const RECT& work = mi.rcWork;
  const int dx = r.right > work.right ? std::max(work.right - r.right, work.left - r.left) : 0;
  const int dy = r.bottom > work.bottom ? std::max(work.bottom - r.bottom, work.top - r.top) : 0;
  if (dx || dy) SetWindowPos(dialog, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT_PTR CALLBACK PreviewHook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* ofn = reinterpret_cast<const OPENFILENAMEA*>(lParam);
      SetWindowLongPtrA(hook, GWLP_USERDATA, static_cast<LONG_PTR>(ofn->lCustData));
      return TRUE;
    }
    case WM_NOTIFY: {
      const auto* n = reinterpret_cast<const OFNOTIFYA*>(lParam);
      if (n->hdr.code == CDN_SELCHANGE) ShowPreview(hook, SelectedFile(GetParent(hook)));
      else if (n->hdr.code == CDN_FOLDERCHANGE) ShowPreview(hook, {});
      else if (n->hdr.code == CDN_INITDONE) KeepOnScreen(GetParent(hook));
      return 0;
    }
    case WM_DRAWITEM: {
      const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      const TPicturePreviewState* state = StateOf(hook);
      if (d->CtlID != kPreviewPictureId || !state) return FALSE;
      DrawPictureCentered(d->hDC, d->rcItem, state->Thumbnail, state->Background);
      return TRUE;
    }
  }
  return 0;
}

}  // namespace

void AttachPicturePreview(OPENFILENAMEA& ofn, TPicturePreviewState& state) {
  HMODULE module = nullptr;
  // The template is linked into the executable that shows the dialog.
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&PreviewHook), &module);
  ofn.hInstance = module;
  ofn.lpTemplateName = kPictureOpenTemplate;
  ofn.lpfnHook = PreviewHook;
  ofn.lCustData = reinterpret_cast<LPARAM>(&state);
  ofn.Flags |= OFN_ENABLETEMPLATE | OFN_ENABLEHOOK;
}

}  // namespace vanta::platform
