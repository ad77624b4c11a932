// SHA-256 in the Windows programs: the system's CNG. bcrypt.dll is not
// among the DLLs Windows always takes from the system folder, so it is
// loaded from there by name, never from beside the setup.
#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <stdexcept>

#include "../Checksum.h"

namespace vanta::build {
namespace {

using TOpen = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG);
using TClose = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, ULONG);
using TCreate = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG, PUCHAR, ULONG, ULONG);
using THash = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using TFinish = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using TDestroy = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE);

template <class F>
F Proc(HMODULE m, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

[[noreturn]] void NoSha256() { throw std::runtime_error("this system offers no SHA-256 (bcrypt.dll)"); }

}  // namespace

struct TSha256::TState {
  HMODULE module = nullptr;
  BCRYPT_ALG_HANDLE alg = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  THash hashData = nullptr;
  TFinish finish = nullptr;
  ~TState() {
    if (hash) Proc<TDestroy>(module, "BCryptDestroyHash")(hash);
    if (alg) Proc<TClose>(module, "BCryptCloseAlgorithmProvider")(alg, 0);
    if (module) FreeLibrary(module);
  }
};

TSha256::TSha256() : state_(std::make_unique<TState>()) {
  TState& s = *state_;
  s.module = LoadLibraryExW(L"bcrypt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!s.module) NoSha256();
  const auto open = Proc<TOpen>(s.module, "BCryptOpenAlgorithmProvider");
  const auto create = Proc<TCreate>(s.module, "BCryptCreateHash");
  s.hashData = Proc<THash>(s.module, "BCryptHashData");
  s.finish = Proc<TFinish>(s.module, "BCryptFinishHash");
  if (!open || !create || !s.hashData || !s.finish || !Proc<TDestroy>(s.module, "BCryptDestroyHash") ||
      !Proc<TClose>(s.module, "BCryptCloseAlgorithmProvider"))
    NoSha256();
  if (open(&s.alg, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0) {
    s.alg = nullptr;
    NoSha256();
  }
  if (create(s.alg, &s.hash, nullptr, 0, nullptr, 0, 0) < 0) {
    s.hash = nullptr;
    NoSha256();
  }
}

TSha256::~TSha256() = default;

void TSha256::Update(const void* data, size_t size) {
  auto* p = static_cast<PUCHAR>(const_cast<void*>(data));
  while (size > 0) {
    const ULONG n = ULONG(std::min<size_t>(size, 1u << 30));
    if (state_->hashData(state_->hash, p, n, 0) < 0) throw std::runtime_error("SHA-256 failed");
    p += n;
    size -= n;
  }
}

TDigest TSha256::Finish() {
  TDigest d;
  if (state_->finish(state_->hash, d.data(), ULONG(d.size()), 0) < 0) throw std::runtime_error("SHA-256 failed");
  return d;
}

}  // namespace vanta::build
