// Who may change an install folder, and the access list an install gives
// one outside Program Files.
#pragma once
#include <string>

namespace vanta::build {

// Whether a SID other than SYSTEM, the Administrators, TrustedInstaller,
// CREATOR OWNER and the running (installing) user is allowed to add,
// delete or change anything in the folder or its access list, or owns it.
// A folder whose security cannot be read counts as open.
bool FolderOpenToOthers(const std::string& path);

// "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)". Throws
// TInstallError.
void ProtectFolderAcl(const std::string& path);

}  // namespace vanta::build
