// The artwork a saver's setup carries besides the saver's own pictures,
// drawn from the program's logo (IconArt): the setup's icon
// (SetupIconFile), and for a saver without a picture that decodes, the
// pictures of the setup's pages (WizardImageFile, WizardSmallImageFile).
// Written into the compile folder as the files the script names.
#pragma once
#include <string>

namespace vanta {

inline constexpr const char* kSetupIconName = "SetupIcon.ico";
inline constexpr const char* kSetupArtName = "SetupArt.bmp";
inline constexpr const char* kSetupSmallArtName = "SetupSmallArt.bmp";

// An icon file of the logo: 16 to 48 pixels as 32-bit bitmaps, 256 as PNG.
std::string SaverIconFile();
// A 24-bit BMP file: the logo in the middle of its own blue.
std::string ArtBitmapFile(int width, int height);

// The files of the script's three keys.
struct TSetupArt {
  std::string Icon, Large, Small;
};
// Where they lie for a build: the page picture when there is one, the
// logo's art in compileDir (with its delimiter) otherwise.
TSetupArt SetupArtFiles(const std::string& compileDir, const std::string& pagePicture);
// Writes the art files that SetupArtFiles names in compileDir; a file that
// cannot be written is a TBuildError.
void WriteSetupArt(const std::string& compileDir, const std::string& pagePicture);

}  // namespace vanta
