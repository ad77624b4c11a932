#include "PrivateFiles.h"

#include <sddl.h>

#include <memory>

// RtlGenRandom: advapi32's SystemFunction036, a KnownDLL that the setup
// links already (no bcrypt.dll to look up beside a downloaded setup).
extern "C" BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length);

namespace vanta::build {
namespace {

// The current user's SID, as the process token names it.
std::unique_ptr<BYTE[]> TokenUserSid() {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::unique_ptr<BYTE[]> info(size ? new BYTE[size] : nullptr);
  const bool ok = info && GetTokenInformation(token, TokenUser, info.get(), size, &size);
  CloseHandle(token);
  if (!ok) return nullptr;
  const PSID sid = reinterpret_cast<TOKEN_USER*>(info.get())->User.Sid;
  std::unique_ptr<BYTE[]> copy(new BYTE[GetLengthSid(sid)]);
  if (!CopySid(GetLengthSid(sid), copy.get(), sid)) return nullptr;
  return copy;
}

// SYSTEM, Administrators, the user: full control, inherited by what is
// made inside; the parent's entries are not taken (protected).
class TPrivateSecurity {
 public:
  TPrivateSecurity() {
    DWORD size = sizeof system_;
    if (!CreateWellKnownSid(WinLocalSystemSid, nullptr, system_, &size)) return;
    size = sizeof admins_;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins_, &size)) return;
    user_ = TokenUserSid();
    if (!user_) return;
    const PSID sids[] = {system_, admins_, user_.get()};
    if (!InitializeAcl(reinterpret_cast<ACL*>(acl_), sizeof acl_, ACL_REVISION)) return;
    for (PSID sid : sids)
      if (!AddAccessAllowedAceEx(reinterpret_cast<ACL*>(acl_), ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE,
                                 FILE_ALL_ACCESS, sid))
        return;
    if (!InitializeSecurityDescriptor(&sd_, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&sd_, TRUE, reinterpret_cast<ACL*>(acl_), FALSE) ||
        !SetSecurityDescriptorControl(&sd_, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
      return;
    attributes_ = {sizeof attributes_, &sd_, FALSE};
    ready_ = true;
  }
  SECURITY_ATTRIBUTES* Attributes() { return ready_ ? &attributes_ : nullptr; }
  SECURITY_DESCRIPTOR* Descriptor() { return ready_ ? &sd_ : nullptr; }

 private:
  BYTE system_[SECURITY_MAX_SID_SIZE];
  BYTE admins_[SECURITY_MAX_SID_SIZE];
  std::unique_ptr<BYTE[]> user_;
  alignas(DWORD) BYTE acl_[1024];
  SECURITY_DESCRIPTOR sd_{};
  SECURITY_ATTRIBUTES attributes_{};
  bool ready_ = false;
};

}  // namespace

std::string RandomHex(size_t bytes) {
  std::unique_ptr<unsigned char[]> random(new unsigned char[bytes]);
  if (!SystemFunction036(random.get(), ULONG(bytes))) return {};
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (size_t i = 0; i < bytes; ++i) hex += kDigits[random[i] >> 4], hex += kDigits[random[i] & 15];
  return hex;
}

std::string CreatePrivateFolder(const std::string& base, const std::string& prefix) {
  TPrivateSecurity security;
  if (!security.Attributes()) return {};  // never a folder with the temporary folder's own access list
  std::string folder = base;
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  for (int attempt = 0; attempt < 8; ++attempt) {
    const std::string random = RandomHex(16);
    if (random.empty()) return {};
    const std::string path = folder + prefix + random;
    // Fails on an existing name: a folder someone made first is never used.
    if (CreateDirectoryA(path.c_str(), security.Attributes())) return path;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

std::string PrivateAccessList() {
  TPrivateSecurity security;
  char* text = nullptr;
  if (!security.Descriptor() ||
      !ConvertSecurityDescriptorToStringSecurityDescriptorA(security.Descriptor(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                            &text, nullptr))
    return {};
  const std::string sddl = text;
  LocalFree(text);
  return sddl;
}

HANDLE CreateNewFile(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace vanta::build
