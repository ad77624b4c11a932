// The pictures of the setup's pages, made by the compiler from any picture
// file the saver reads: scaled to cover the page's place and cropped to it
// from the middle, never stretched, so the setup only draws them.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "Payload.h"

namespace vanta::build {

struct TCrop {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const TCrop&) const = default;
};
// The middle part of a width x height picture with the shape of toWidth x
// toHeight: what is scaled to fill that place without distortion.
TCrop CoverCrop(int width, int height, int toWidth, int toHeight);

// Reads, fits and crops; throws std::runtime_error saying why a file
// cannot be a picture.
TWizardPicture ReadWizardPicture(const std::string& path, uint32_t width, uint32_t height);
// The same as a reader that decodes a file once when both pages' keys name
// it (as the builder's scripts do).
std::function<TWizardPicture(const std::string& path, uint32_t width, uint32_t height)> WizardPictureReader();

}  // namespace vanta::build
