// The builder window's controls and menu items, by the names the driver takes.
#include "DriverNames.h"

#include "builder/ConfigFormRes.h"

namespace {
constexpr TNamed kControls[] = {
    {"OutlookBar", IDC_OUTLOOKBAR},     {"OkButton", IDC_OKBUTTON},       {"CancelButton", IDC_CANCELBUTTON},
    {"IntervalEdit", IDC_INTERVALEDIT}, {"ImageList", IDC_IMAGELIST},     {"MusicList", IDC_MUSICLIST},
    {"PageControl2", IDC_PAGECONTROL2}, {"NameEdit", IDC_NAMEEDIT},       {"StretchRadio", IDC_STRETCHRADIO},
    {"BackcolorCb", IDC_BACKCOLORCB},   {"PlayMusicCheck", IDC_PLAYMUSICCHECK}, {"PreviewB2", IDC_PREVIEWB2},
    {"AuthorEdit", IDC_AUTHOREDIT},     {"WebsiteEdit", IDC_WEBSITEEDIT}, {"VersionEdit", IDC_VERSIONEDIT}, {"ReadmeMemo", IDC_READMEMEMO},
    {"StatusMemo", IDC_STATUSMEMO},     {"BackB", IDC_BACKB},             {"NextB", IDC_NEXTB},
    {"BuildB", IDC_BUILDB},             {"SpeedScrollBar", IDC_SPEEDSCROLLBAR}, {"AddImages", IDC_ADDIMAGES},
    // The Options page.
    {"OriginalRadio", IDC_ORIGINALRADIO}, {"NormalizeRadio", IDC_NORMALIZERADIO},
    {"RandomizeRadio", IDC_RANDOMIZERADIO}, {"CaptionOffRadio", IDC_CAPTIONOFFRADIO},
    {"BelowImageRadio", IDC_BELOWIMAGERADIO}, {"AboveImageRadio", IDC_ABOVEIMAGERADIO},
    {"BottomScreenRadio", IDC_BOTTOMSCREENRADIO}, {"TopScreenRadio", IDC_TOPSCREENRADIO},
    {"FixedRadio", IDC_FIXEDRADIO},     {"XSpin", IDC_XSPIN},             {"YSpin", IDC_YSPIN},
    {"FilenameCheck", IDC_FILENAMECHECK}, {"PathCheck", IDC_PATHCHECK},   {"ExtensionCheck", IDC_EXTENSIONCHECK},
    {"AdditionalTextCheck", IDC_ADDITIONALTEXTCHECK}, {"ImageCaptionEdit", IDC_IMAGECAPTIONEDIT},
    {"RandomMusicCheck", IDC_RANDOMMUSICCHECK}, {"LoopMusicCheck", IDC_LOOPMUSICCHECK},
    {"ReverseCheck", IDC_REVERSECHECK}, {"ClearOldCheck", IDC_CLEAROLDCHECK},
    {"MouseMoveCheck", IDC_MOUSEMOVECHECK}, {"MousePressCheck", IDC_MOUSEPRESSCHECK},
    {"KeyboardCheck", IDC_KEYBOARDCHECK}, {"ScreensCombo", IDC_SCREENSCOMBO}, {"MotionCombo", IDC_MOTIONCOMBO},
    // The lists' buttons and the Effects page.
    {"RemoveImage", IDC_REMOVEIMAGE},   {"RemoveMusic", IDC_REMOVEMUSIC}, {"ClearMusic", IDC_CLEARMUSIC},
    {"StyleList", IDC_STYLELIST},       {"SelectAll", IDC_SELECTALL},     {"DisableAll", IDC_DISABLEALL},
};
constexpr TNamed kMenu[] = {
    {"About1", IDM_ABOUT1}, {"Exit1", IDM_EXIT1}, {"UndoExit", IDM_UNDOEXIT}, {"Preview1", IDM_PREVIEW1},
    {"LoadProject", IDM_LOADPROJECT}, {"SaveProject", IDM_SAVEPROJECT}, {"SaveProjectAs", IDM_SAVEPROJECTAS},
    {"BuildAndSend1", IDM_BUILDANDSEND1}, {"Help2", IDM_HELP2}};
}  // namespace

const std::span<const TNamed> kBuilderControls{kControls};
const std::span<const TNamed> kBuilderMenu{kMenu};
