#include "UserShell.h"

#include <windows.h>
#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

namespace vanta::build {
namespace {

// Releases a COM pointer when it goes.
template <class T>
class TCom {
 public:
  ~TCom() {
    if (p) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
  explicit operator bool() const { return p != nullptr; }
  T* p = nullptr;
};

std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring w(size_t(n > 0 ? n : 1), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), n);
  return w;
}

}  // namespace

// The desktop window's view, through the shell windows of the user's
// session, gives the shell's automation object of that process; its
// ShellExecute runs there, with the user's token.
bool TDesktopShell::OpenAsUser(const std::string& file, const std::string& parameters) {
  TCom<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                              reinterpret_cast<void**>(&windows))))
    return false;
  VARIANT none;
  VariantInit(&none);
  long hwnd = 0;
  TCom<IDispatch> desktop;
  if (windows->FindWindowSW(&none, &none, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH, &desktop) != S_OK || !desktop) return false;
  TCom<IServiceProvider> services;
  TCom<IShellBrowser> browser;
  TCom<IShellView> view;
  TCom<IDispatch> background;
  TCom<IShellFolderViewDual> folderView;
  TCom<IDispatch> application;
  TCom<IShellDispatch2> shell;
  if (FAILED(desktop->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&services))) ||
      FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, reinterpret_cast<void**>(&browser))) ||
      FAILED(browser->QueryActiveShellView(&view)) ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, reinterpret_cast<void**>(&background))) ||
      FAILED(background->QueryInterface(IID_IShellFolderViewDual, reinterpret_cast<void**>(&folderView))) ||
      FAILED(folderView->get_Application(&application)) ||
      FAILED(application->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void**>(&shell))))
    return false;
  BSTR path = SysAllocString(Wide(file).c_str());
  VARIANT operation, show;
  VariantInit(&operation);
  operation.vt = VT_BSTR;
  operation.bstrVal = SysAllocString(L"open");
  VariantInit(&show);
  show.vt = VT_I4;
  show.lVal = SW_SHOWNORMAL;
  VARIANT arguments;
  VariantInit(&arguments);
  if (!parameters.empty()) {
    arguments.vt = VT_BSTR;
    arguments.bstrVal = SysAllocString(Wide(parameters).c_str());
  }
  const HRESULT hr = shell->ShellExecute(path, arguments, none, operation, show);
  VariantClear(&arguments);
  SysFreeString(path);
  VariantClear(&operation);
  return SUCCEEDED(hr);
}

}  // namespace vanta::build
