#include "FileSource.h"

namespace vanta::build {

TFileSource::TFileSource(const std::string& path) {
  file_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  LARGE_INTEGER size;
  if (file_ == INVALID_HANDLE_VALUE || !GetFileSizeEx(file_, &size)) throw TPayloadError("cannot read " + path);
  size_ = uint64_t(size.QuadPart);
}

TFileSource::~TFileSource() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

void TFileSource::ReadAt(uint64_t offset, void* data, size_t size) {
  if (offset > size_ || size > size_ - offset) throw TPayloadError("read past the end");
  char* p = static_cast<char*>(data);
  while (size > 0) {
    OVERLAPPED at{};
    at.Offset = DWORD(offset);
    at.OffsetHigh = DWORD(offset >> 32);
    DWORD got = 0;
    const DWORD want = DWORD(std::min<size_t>(size, 1u << 20));
    if (!ReadFile(file_, p, want, &got, &at) || got == 0) throw TPayloadError("cannot read the setup's own file");
    p += got;
    offset += got;
    size -= got;
  }
}

}  // namespace vanta::build
