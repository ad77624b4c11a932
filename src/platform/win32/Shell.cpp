#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include "platform/Shell.h"
#include "platform/win32/PictureOpenDialog.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace vanta::platform {
namespace {
// Room for the names of some ten thousand files chosen at once.
constexpr size_t kFileNamesBuffer = size_t{4} << 20;

const char* OrNull(const std::string& s) { return s.empty() ? nullptr : s.c_str(); }

// "a|b|c|d" becomes "a\0b\0c\0d\0\0", as the file dialogs take their filter.
std::string DialogFilter(std::string filter) {
  std::replace(filter.begin(), filter.end(), '|', '\0');
  filter.append(2, '\0');
  return filter;
}

// What the open and the save dialog share: the owner, the filter, room for
// the answer, the title, the starting folder and the common flags. The
// strings given must outlive the dialog.
class TFileDialog {
 public:
  TFileDialog(std::intptr_t owner, const std::string& filter, size_t room, const std::string& title,
              const std::string& folder, DWORD flags)
      : filter_(DialogFilter(filter)), names_(room, '\0') {
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = reinterpret_cast<HWND>(owner);
    ofn.lpstrFilter = filter_.c_str();
    ofn.lpstrFile = names_.data();
    ofn.nMaxFile = static_cast<DWORD>(names_.size());
    ofn.lpstrInitialDir = OrNull(folder);
    ofn.lpstrTitle = OrNull(title);
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_PATHMUSTEXIST | flags;
  }
  TFileDialog(const TFileDialog&) = delete;
  TFileDialog& operator=(const TFileDialog&) = delete;
  // The answer: NUL-separated names, ended by an empty one.
  char* Names() { return names_.data(); }
  size_t Room() const { return names_.size(); }

  OPENFILENAMEA ofn{};

 private:
  std::string filter_;
  std::vector<char> names_;
};

class TSystemShell final : public IShell {
 public:
  void Open(const TShellRequest& request) override;
  std::optional<uint32_t> PickColor(std::intptr_t owner, uint32_t initial) override;
  std::vector<std::string> PickFilesToOpen(std::intptr_t owner, const TOpenFilesRequest& request) override;
  std::optional<TFontChoice> PickFont(std::intptr_t owner, const TFontChoice& initial) override;
  std::optional<std::string> PickFileToSave(std::intptr_t owner, const TSaveFileRequest& request) override;
  bool AskYesNo(std::intptr_t owner, const std::string& text, const std::string& caption) override;
  TAnswer AskYesNoCancel(std::intptr_t owner, const std::string& text, const std::string& caption) override;
  std::optional<std::string> PickFolder(std::intptr_t owner, const std::string& title,
                                        const std::string& initial) override;
  TStartedProgram StartHidden(const TShellRequest& request) override;
};

int ScreenDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}
}  // namespace

void TSystemShell::Open(const TShellRequest& r) {
  ShellExecuteA(nullptr, OrNull(r.Verb), r.File.c_str(), OrNull(r.Parameters), OrNull(r.Directory), SW_SHOW);
}

std::optional<uint32_t> TSystemShell::PickColor(std::intptr_t owner, uint32_t initial) {
  COLORREF custom[16];
  for (COLORREF& c : custom) c = RGB(255, 255, 255);
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = reinterpret_cast<HWND>(owner);
  // The dialog knows nothing of a high byte; it starts on the plain colour.
  cc.rgbResult = initial & 0xFFFFFF;
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!ChooseColorA(&cc)) return std::nullopt;
  return static_cast<uint32_t>(cc.rgbResult);
}

std::vector<std::string> TSystemShell::PickFilesToOpen(std::intptr_t owner, const TOpenFilesRequest& request) {
  TFileDialog dialog(owner, request.Filter, kFileNamesBuffer, request.Title, request.InitialFolder,
                     OFN_FILEMUSTEXIST | (request.Multiple ? OFN_ALLOWMULTISELECT : 0));
  TPicturePreviewState preview;
  preview.Background = request.PreviewColor;
  preview.Draw = request.PicturePreview;
  if (preview.Draw) AttachPicturePreview(dialog.ofn, preview);
  if (!GetOpenFileNameA(&dialog.ofn)) return {};
  // One file: its full path. Several: the folder, then each name.
  std::vector<std::string> parts;
  for (const char* p = dialog.Names(); *p; p += std::strlen(p) + 1) parts.emplace_back(p);
  if (parts.size() <= 1) return parts;
  std::string folder = parts.front();
  if (folder.back() != '\\') folder += '\\';
  std::vector<std::string> files;
  for (size_t i = 1; i < parts.size(); ++i) files.push_back(folder + parts[i]);
  return files;
}

std::optional<TFontChoice> TSystemShell::PickFont(std::intptr_t owner, const TFontChoice& initial) {
  LOGFONTA lf{};
  lf.lfHeight = -MulDiv(initial.Size, ScreenDpi(), 72);
  lf.lfWeight = initial.Bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = initial.Italic;
  lf.lfUnderline = initial.Underline;
  lf.lfStrikeOut = initial.Strikeout;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(lf.lfFaceName, initial.Name.c_str(), LF_FACESIZE);
  CHOOSEFONTA cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = reinterpret_cast<HWND>(owner);
  cf.lpLogFont = &lf;
  cf.rgbColors = initial.Color & 0xFFFFFF;
  cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  if (!ChooseFontA(&cf)) return std::nullopt;
  TFontChoice chosen;
  chosen.Name = lf.lfFaceName;
  chosen.Size = (cf.iPointSize + 5) / 10;  // tenths of a point
  chosen.Color = static_cast<uint32_t>(cf.rgbColors);
  chosen.Bold = lf.lfWeight >= FW_BOLD;
  chosen.Italic = lf.lfItalic != 0;
  chosen.Underline = lf.lfUnderline != 0;
  chosen.Strikeout = lf.lfStrikeOut != 0;
  return chosen;
}

std::optional<std::string> TSystemShell::PickFileToSave(std::intptr_t owner, const TSaveFileRequest& request) {
  constexpr size_t kNameRoom = 32768;
  TFileDialog dialog(owner, request.Filter, kNameRoom, request.Title, request.InitialFolder, OFN_OVERWRITEPROMPT);
  request.FileName.copy(dialog.Names(), dialog.Room() - 1);
  if (!GetSaveFileNameA(&dialog.ofn)) return std::nullopt;
  return std::string(dialog.Names());
}

bool TSystemShell::AskYesNo(std::intptr_t owner, const std::string& text, const std::string& caption) {
  return MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

TAnswer TSystemShell::AskYesNoCancel(std::intptr_t owner, const std::string& text, const std::string& caption) {
  switch (MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: return TAnswer::Yes;
    case IDNO: return TAnswer::No;
    default: return TAnswer::Cancel;
  }
}

namespace {
// Opens the picker at the folder it is given.
int CALLBACK FolderPickerStarted(HWND window, UINT msg, LPARAM, LPARAM data) {
  if (msg == BFFM_INITIALIZED && data) SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
  return 0;
}
}  // namespace

std::optional<std::string> TSystemShell::PickFolder(std::intptr_t owner, const std::string& title,
                                                    const std::string& initial) {
  BROWSEINFOA info{};
  info.hwndOwner = reinterpret_cast<HWND>(owner);
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = FolderPickerStarted;
  info.lParam = initial.empty() ? 0 : reinterpret_cast<LPARAM>(initial.c_str());
  PIDLIST_ABSOLUTE picked = SHBrowseForFolderA(&info);
  if (!picked) return std::nullopt;
  char path[MAX_PATH] = {};
  const bool ok = SHGetPathFromIDListA(picked, path);
  CoTaskMemFree(picked);
  if (!ok || !path[0]) return std::nullopt;
  std::string folder = path;
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

TStartedProgram& TStartedProgram::operator=(TStartedProgram&& other) noexcept {
  if (this == &other) return *this;
  if (process_) CloseHandle(process_);
  started_ = std::exchange(other.started_, false);
  process_ = std::exchange(other.process_, nullptr);
  return *this;
}

TStartedProgram::~TStartedProgram() {
  if (process_) CloseHandle(process_);
}

bool TStartedProgram::Ended() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }

TStartedProgram TSystemShell::StartHidden(const TShellRequest& r) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = OrNull(r.Verb);
  info.lpFile = r.File.c_str();
  info.lpParameters = OrNull(r.Parameters);
  info.lpDirectory = OrNull(r.Directory);
  info.nShow = SW_HIDE;
  if (!ShellExecuteExA(&info)) return {};
  return TStartedProgram(true, info.hProcess);
}

IShell& SystemShell() {
  static TSystemShell shell;
  return shell;
}

}  // namespace vanta::platform
