// The system shell and its common dialogs, as the Win32 windows use them.
//
// Every call goes through the IShell a window is given, so that tests can
// see what a window asked of the shell, and give the answer a user would
// have given in a dialog, without a browser starting or a dialog waiting
// for a click.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Bitmap.h"
#include "base/Rect.h"

namespace vanta::platform {

// What is handed to the shell: a file, folder or address opened with a verb
// (empty: the default action, such as a browser for a web address).
struct TShellRequest {
  std::string Verb;
  std::string File;
  std::string Parameters;
  std::string Directory;

  bool operator==(const TShellRequest&) const = default;
};

// An open dialog's preview of a picture file: drawn into thumbnail within
// width x height on the background colour (0x00BBGGRR), and the picture's
// own size; nullopt, or a throw, when the file cannot be shown. The shell
// draws no picture itself: whoever asks for the dialog gives the reader.
using TPicturePreview = std::function<std::optional<TPoint>(const std::string& file, int width, int height,
                                                            uint32_t background, TBitmap24& thumbnail)>;

// An open dialog for one or more existing files.
struct TOpenFilesRequest {
  std::string Title;
  std::string Filter;         // "text|patterns|text|patterns", patterns split by ';'
  std::string InitialFolder;  // empty: where the system chooses
  bool Multiple = true;       // false: one file only
  // Pictures: a preview of the selected file beside the list, with its
  // size, on this background colour; none when empty.
  TPicturePreview PicturePreview = {};
  uint32_t PreviewColor = 0;
  bool operator==(const TOpenFilesRequest& o) const {
    return Title == o.Title && Filter == o.Filter && InitialFolder == o.InitialFolder && Multiple == o.Multiple &&
           static_cast<bool>(PicturePreview) == static_cast<bool>(o.PicturePreview) && PreviewColor == o.PreviewColor;
  }
};

// A save dialog for one file: asks before overwriting, no read-only box,
// resizable.
struct TSaveFileRequest {
  std::string Title;
  std::string Filter;  // as TOpenFilesRequest's
  std::string FileName;
  std::string InitialFolder;  // empty: where the system chooses
  bool operator==(const TSaveFileRequest&) const = default;
};

// A font as the font dialog edits it: face, size in points, colour
// (0x00BBGGRR) and the four styles.
struct TFontChoice {
  std::string Name;
  int32_t Size = 0;
  uint32_t Color = 0;
  bool Bold = false, Italic = false, Underline = false, Strikeout = false;
  bool operator==(const TFontChoice&) const = default;
};

// Closing a Yes/No/Cancel question is Cancel.
enum class TAnswer { Yes, No, Cancel };

// A program started by StartHidden, for its starter to see it end.
class TStartedProgram {
 public:
  TStartedProgram() = default;  // nothing started
  explicit TStartedProgram(bool started, void* process = nullptr) : started_(started), process_(process) {}
  TStartedProgram(TStartedProgram&& other) noexcept { *this = std::move(other); }
  TStartedProgram& operator=(TStartedProgram&& other) noexcept;
  ~TStartedProgram();

  bool Started() const { return started_; }
  // True once the program has ended; false while it runs or when its end
  // cannot be seen (a program a test pretended to start).
  bool Ended() const;

 private:
  bool started_ = false;
  void* process_ = nullptr;
};

// What the program asks of the shell and of the user in the system's
// dialogs, as one seam: start-up hands the system's to the windows, tests
// their own.
class IShell {
 public:
  virtual ~IShell() = default;
  // Hands the request to the shell with no owner window, shown normally.
  // The shell's answer is not examined: a link that cannot be opened is no
  // error.
  virtual void Open(const TShellRequest& request) = 0;
  // The colour dialog, opened on initial (0x00BBGGRR); nullopt when cancelled.
  virtual std::optional<uint32_t> PickColor(std::intptr_t owner, uint32_t initial) = 0;
  // The chosen files, full paths in the dialog's order; empty when cancelled.
  virtual std::vector<std::string> PickFilesToOpen(std::intptr_t owner, const TOpenFilesRequest& request) = 0;
  // The font dialog with effects, no size limits; nullopt when cancelled.
  virtual std::optional<TFontChoice> PickFont(std::intptr_t owner, const TFontChoice& initial) = 0;
  // The chosen file's full path; nullopt when cancelled.
  virtual std::optional<std::string> PickFileToSave(std::intptr_t owner, const TSaveFileRequest& request) = 0;
  // A question with the buttons Yes and No; true for Yes.
  virtual bool AskYesNo(std::intptr_t owner, const std::string& text, const std::string& caption) = 0;
  // A question with Yes, No and Cancel.
  virtual TAnswer AskYesNoCancel(std::intptr_t owner, const std::string& text, const std::string& caption) = 0;
  // The folder picker, starting at initial; nullopt when cancelled. The
  // folder comes back with its trailing delimiter.
  virtual std::optional<std::string> PickFolder(std::intptr_t owner, const std::string& title,
                                                const std::string& initial) = 0;
  // Starts a program with its window hidden, without waiting for it; not
  // Started() when the shell could not start it.
  virtual TStartedProgram StartHidden(const TShellRequest& request) = 0;
};

// The system's own shell and dialogs.
IShell& SystemShell();

}  // namespace vanta::platform
