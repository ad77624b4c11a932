// Files and folders the elevated setup and uninstaller make for themselves
// in places other users can write to (the temporary folder): names nobody
// can guess beforehand, created new (never an existing file or folder
// someone prepared), and folders that only SYSTEM, the administrators and
// the running user may enter.
#pragma once
#include <windows.h>

#include <string>

namespace vanta::build {

// `bytes` random bytes from the system's generator as hex; "" if it fails.
std::string RandomHex(size_t bytes);

// A new folder `base\prefix<random>` with an explicit, protected access
// list: SYSTEM, Administrators and the current user, full control, passed
// on to what is made inside. "" when none could be made.
std::string CreatePrivateFolder(const std::string& base, const std::string& prefix);

// That access list as SDDL ("D:P(A;OICI;FA;;;SY)..."); "" if it cannot be made.
std::string PrivateAccessList();

// Opens `path` only if it does not exist yet; INVALID_HANDLE_VALUE else.
HANDLE CreateNewFile(const std::string& path);

}  // namespace vanta::build
