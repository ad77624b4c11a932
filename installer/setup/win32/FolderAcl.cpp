#include "FolderAcl.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <vector>

#include "../InstallTarget.h"
#include "Win32Target.h"

namespace vanta::build {
namespace {

constexpr DWORD kChanges = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD |
                           DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

struct TLocalFree {
  void operator()(void* p) const { LocalFree(p); }
};

std::unique_ptr<void, TLocalFree> Sid(const char* text) {
  PSID sid = nullptr;
  ConvertStringSidToSidA(text, &sid);
  return std::unique_ptr<void, TLocalFree>(sid);
}

// The installing user: an administrator running the setup.
std::unique_ptr<BYTE[]> OwnUser() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::unique_ptr<BYTE[]> user(size ? new BYTE[size] : nullptr);
  if (!user || !GetTokenInformation(token, TokenUser, user.get(), size, &size)) user.reset();
  CloseHandle(token);
  return user;
}

class TTrusted {
 public:
  TTrusted() : user_(OwnUser()) {
    for (const char* s : {"S-1-5-18", "S-1-5-32-544", "S-1-3-0",
                          "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"})
      sids_.push_back(Sid(s));
  }
  bool Has(PSID sid) const {
    if (!sid || !IsValidSid(sid)) return false;
    for (const auto& t : sids_)
      if (t && EqualSid(t.get(), sid)) return true;
    return user_ && EqualSid(reinterpret_cast<TOKEN_USER*>(user_.get())->User.Sid, sid);
  }

 private:
  std::vector<std::unique_ptr<void, TLocalFree>> sids_;
  std::unique_ptr<BYTE[]> user_;
};

}  // namespace

bool FolderOpenToOthers(const std::string& path) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                            nullptr, &dacl, nullptr, &sd) != ERROR_SUCCESS)
    return true;
  std::unique_ptr<void, TLocalFree> keep(sd);
  if (!dacl) return true;  // no list at all: everyone may do anything
  const TTrusted trusted;
  if (owner && !trusted.Has(owner)) return true;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) return true;
    const auto* header = static_cast<ACE_HEADER*>(ace);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    if ((allowed->Mask & kChanges) && !trusted.Has(const_cast<DWORD*>(&allowed->SidStart))) return true;
  }
  return false;
}

void ProtectFolderAcl(const std::string& path) {
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)",
                                                            SDDL_REVISION_1, &sd, nullptr))
    throw TInstallError("cannot make an access list: " + SystemErrorText(GetLastError()));
  std::unique_ptr<void, TLocalFree> keep(sd);
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  PSID owner = nullptr;
  GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
  GetSecurityDescriptorOwner(sd, &owner, &defaulted);
  std::string name = path;
  // A folder someone else owns gets the Administrators as its owner, or
  // its owner could give itself the rights back; one the installing
  // administrator made keeps its owner (Wine maps an owner other than its
  // user to no Unix rights at all).
  PSID current = nullptr;
  PSECURITY_DESCRIPTOR currentSd = nullptr;
  if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &current, nullptr, nullptr, nullptr,
                            &currentSd) != ERROR_SUCCESS)
    throw TInstallError("cannot read who owns the folder " + path);
  std::unique_ptr<void, TLocalFree> keepCurrent(currentSd);
  const bool foreign = !current || !TTrusted().Has(current);
  const DWORD what = DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION | (foreign ? OWNER_SECURITY_INFORMATION : 0);
  const DWORD error = SetNamedSecurityInfoA(name.data(), SE_FILE_OBJECT, what, foreign ? owner : nullptr, nullptr, dacl, nullptr);
  if (error != ERROR_SUCCESS) throw TInstallError("cannot protect the folder " + path + ": " + SystemErrorText(error));
}

}  // namespace vanta::build
