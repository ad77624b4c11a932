// A file read at any offset, for the setup reading its own packed data.
#pragma once
#include <windows.h>

#include <string>

#include "Payload.h"

namespace vanta::build {

class TFileSource : public IByteSource {
 public:
  explicit TFileSource(const std::string& path);  // throws TPayloadError
  ~TFileSource() override;
  TFileSource(const TFileSource&) = delete;
  TFileSource& operator=(const TFileSource&) = delete;
  uint64_t Size() const override { return size_; }
  void ReadAt(uint64_t offset, void* data, size_t size) override;

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  uint64_t size_ = 0;
};

}  // namespace vanta::build
