// Metafiles through GDI: played into a 24-bit DIB section of their natural
// size (at 96 pixels an inch), first filled with the background colour.
// PNG icon entries through the Windows Imaging Component.
#include "platform/PlatformPictures.h"

#include <windows.h>
#include <wincodec.h>

#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#include "base/MulDiv.h"

namespace vanta {
namespace {

constexpr int kPixelsPerInch = 96;
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint16_t kMetaSetWindowExt = 0x020C;

// A memory DC drawing into a top-down 24-bit DIB section of the given size
// that has the same row layout as TBitmap24.
class TDibCanvas {
 public:
  TDibCanvas(int width, int height, TColor background, const char* what) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) RefusePicture(what, "no drawing surface");
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (!bitmap_ || !bits_) {
      DeleteDC(dc_);
      RefusePicture(what, "no memory for a " + std::to_string(width) + " x " + std::to_string(height) + " picture");
    }
    old_ = SelectObject(dc_, bitmap_);
    TBitmap24 fill(width, 1);
    fill.Fill(background);
    const size_t stride = fill.Stride();
    for (int y = 0; y < height; ++y) std::memcpy(static_cast<uint8_t*>(bits_) + stride * y, fill.Row(0), stride);
  }
  ~TDibCanvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC Dc() const { return dc_; }
  TBitmap24 Take() const {
    GdiFlush();
    TBitmap24 out(width_, height_);
    std::memcpy(out.Bits(), bits_, out.SizeBytes());
    return out;
  }

 private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

TBitmap24 RenderEmf(TBytes data, TColor background) {
  constexpr const char* kWhat = "EMF";
  TByteReader in(data, kWhat);
  if (in.U32() != 1) RefusePicture(kWhat, "not an enhanced metafile");
  in.Seek(40);
  if (in.U32() != 0x464D4520) RefusePicture(kWhat, "not an enhanced metafile");
  HENHMETAFILE emf = SetEnhMetaFileBits(static_cast<UINT>(data.size()), data.data());
  if (!emf) RefusePicture(kWhat, "the metafile cannot be read");
  std::unique_ptr<std::remove_pointer_t<HENHMETAFILE>, decltype(&DeleteEnhMetaFile)> guard(emf, &DeleteEnhMetaFile);
  ENHMETAHEADER header{};
  if (!GetEnhMetaFileHeader(emf, sizeof header, &header)) RefusePicture(kWhat, "the metafile cannot be read");
  // The frame is in hundredths of a millimetre.
  const int64_t w = MulDiv(header.rclFrame.right - header.rclFrame.left, kPixelsPerInch, 2540);
  const int64_t h = MulDiv(header.rclFrame.bottom - header.rclFrame.top, kPixelsPerInch, 2540);
  CheckPictureSize(w, h, kWhat);
  TDibCanvas canvas(static_cast<int>(w), static_cast<int>(h), background, kWhat);
  const RECT r{0, 0, static_cast<LONG>(w), static_cast<LONG>(h)};
  PlayEnhMetaFile(canvas.Dc(), emf, &r);
  return canvas.Take();
}

TBitmap24 RenderWmf(TBytes data, TColor background) {
  constexpr const char* kWhat = "WMF";
  TByteReader in(data, kWhat);
  int64_t w = 0, h = 0;
  int orgX = 0, orgY = 0, extX = 0, extY = 0;
  bool placeable = false;
  if (data.size() >= 22 && in.U32() == kPlaceableKey) {
    // Placeable header: the picture's frame in units of 1/inch inch.
    in.Skip(2);
    const int16_t left = static_cast<int16_t>(in.U16()), top = static_cast<int16_t>(in.U16()),
                  right = static_cast<int16_t>(in.U16()), bottom = static_cast<int16_t>(in.U16());
    const int inch = in.U16();
    in.Skip(6);
    if (inch == 0) RefusePicture(kWhat, "placeable header with 0 units an inch");
    orgX = left;
    orgY = top;
    extX = right - left;
    extY = bottom - top;
    w = MulDiv(std::abs(extX), kPixelsPerInch, inch);
    h = MulDiv(std::abs(extY), kPixelsPerInch, inch);
    placeable = true;
  } else {
    in.Seek(0);
  }
  const TBytes body = data.subspan(in.Pos());
  TByteReader meta(body, kWhat);
  const uint16_t type = meta.U16(), headerWords = meta.U16();
  if ((type != 1 && type != 2) || headerWords != 9) RefusePicture(kWhat, "not a Windows metafile");
  if (!placeable) {
    // Without the placeable header the size is the window extent the
    // metafile sets for itself, one logical unit a pixel.
    meta.Seek(18);
    while (meta.Left() >= 6) {
      const size_t at = meta.Pos();
      const uint32_t words = meta.U32();
      const uint16_t function = meta.U16();
      if (words < 3 || function == 0) break;
      if (function == kMetaSetWindowExt && words >= 5) {
        extY = static_cast<int16_t>(meta.U16());
        extX = static_cast<int16_t>(meta.U16());
        break;
      }
      if (uint64_t{words} * 2 > body.size() - at) RefusePicture(kWhat, "record runs past the end of the file");
      meta.Seek(at + size_t{words} * 2);
    }
    if (extX == 0 || extY == 0) RefusePicture(kWhat, "metafile without a placeable header sets no size");
    w = std::abs(extX);
    h = std::abs(extY);
  }
  CheckPictureSize(w, h, kWhat);
  HMETAFILE wmf = SetMetaFileBitsEx(static_cast<UINT>(body.size()), body.data());
  if (!wmf) RefusePicture(kWhat, "the metafile cannot be read");
  std::unique_ptr<std::remove_pointer_t<HMETAFILE>, decltype(&DeleteMetaFile)> guard(wmf, &DeleteMetaFile);
  TDibCanvas canvas(static_cast<int>(w), static_cast<int>(h), background, kWhat);
  HDC dc = canvas.Dc();
  SetMapMode(dc, MM_ANISOTROPIC);
  if (placeable) {
    SetWindowOrgEx(dc, orgX, orgY, nullptr);
    SetWindowExtEx(dc, extX, extY, nullptr);
  }
  SetViewportOrgEx(dc, 0, 0, nullptr);
  SetViewportExtEx(dc, static_cast<int>(w), static_cast<int>(h), nullptr);
  PlayMetaFile(dc, wmf);
  return canvas.Take();
}

}  // namespace

TBitmap24 RenderMetafile(TBytes data, bool enhanced, TColor background) {
  return enhanced ? RenderEmf(data, background) : RenderWmf(data, background);
}

namespace {

template <typename T>
struct TComPtr {
  T* p = nullptr;
  ~TComPtr() {
    if (p) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
};

TBitmap24 DecodePng(TBytes png, TColor background) {
  constexpr const char* kWhat = "ICO";
  // COM may already be set up on this thread, in either model: then it
  // stays as it is.
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  struct TUninit {
    bool on;
    ~TUninit() {
      if (on) CoUninitialize();
    }
  } uninit{SUCCEEDED(init)};
  TBitmap24 out;
  std::vector<uint8_t> pixels;
  UINT w = 0, h = 0;
  {
    TComPtr<IWICImagingFactory> factory;
    TComPtr<IWICStream> stream;
    TComPtr<IWICBitmapDecoder> decoder;
    TComPtr<IWICBitmapFrameDecode> frame;
    TComPtr<IWICBitmapSource> bgra;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory))))
      RefusePicture(kWhat, "no PNG decoder on this system");
    if (FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(png.data()), static_cast<DWORD>(png.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&w, &h)))
      RefusePicture(kWhat, "damaged PNG icon entry");
    CheckPictureSize(w, h, kWhat);
    if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.p, &bgra)))
      RefusePicture(kWhat, "damaged PNG icon entry");
    pixels.resize(size_t{w} * h * 4);
    if (FAILED(bgra->CopyPixels(nullptr, w * 4, static_cast<UINT>(pixels.size()), pixels.data())))
      RefusePicture(kWhat, "damaged PNG icon entry");
  }
  out.SetSize(static_cast<int>(w), static_cast<int>(h));
  const unsigned bg[3] = {background >> 16 & 255, background >> 8 & 255, background & 255};
  for (UINT y = 0; y < h; ++y) {
    const uint8_t* src = pixels.data() + size_t{y} * w * 4;
    uint8_t* dst = out.Row(static_cast<int>(y));
    for (UINT x = 0; x < w; ++x, src += 4, dst += 3) {
      const unsigned a = src[3];
      for (int c = 0; c < 3; ++c) dst[c] = static_cast<uint8_t>((src[c] * a + bg[c] * (255 - a) + 127) / 255);
    }
  }
  return out;
}

}  // namespace

TPngDecoder PlatformPngDecoder() { return DecodePng; }

}  // namespace vanta
