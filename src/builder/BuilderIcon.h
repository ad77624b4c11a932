// The builder's icons (IconArt) as icon handles (Win32).
#pragma once
#include <windows.h>

#include "builder/IconArt.h"
#include "forms/FormLayout.h"

namespace vanta {

// The icon drawn at size x size pixels; the caller destroys it.
inline HICON CreateBuilderIcon(TBuilderIcon icon, int size) {
  const TIconImage image = DrawBuilderIcon(icon, size);
  return form::CreateAlphaIcon(image.Size, image.Pixels);
}

}  // namespace vanta
