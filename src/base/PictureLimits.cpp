#include "base/PictureLimits.h"

namespace vanta {

void RefusePicture(const char* what, const std::string& why) {
  throw TPictureError(std::string(what) + ": " + why);
}

void CheckPictureSize(int64_t width, int64_t height, const char* what) {
  if (width <= 0 || height <= 0) RefusePicture(what, "empty picture size");
  if (width > kMaxPictureSide || height > kMaxPictureSide)
    RefusePicture(what, "picture larger than " + std::to_string(kMaxPictureSide) + " pixels a side");
  const uint64_t stride = (static_cast<uint64_t>(width) * 3 + 3) & ~uint64_t{3};
  if (stride * static_cast<uint64_t>(height) > kMaxPictureBytes)
    RefusePicture(what, "picture needs more than " + std::to_string(kMaxPictureBytes >> 20) + " MB");
}

}  // namespace vanta
