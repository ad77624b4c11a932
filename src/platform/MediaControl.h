// A holder of one device of the system's media control interface: plays a
// wave or MIDI file and says when the play request has finished.
//
// On Windows the holder owns a message-only window that receives the
// completion message. Natively there is no such device; tests hand in a
// scripted one that decides which files open and when a play finishes.
#pragma once
#include <functional>
#include <memory>
#include <string>

namespace vanta::platform {

class IMediaControl {
 public:
  virtual ~IMediaControl() = default;
  // Releases the open device; nothing when none is open. A play request
  // that the close cuts short raises no OnNotify.
  virtual void Close() = 0;
  // The file for the next Open; the device type follows from its extension.
  virtual void SetFileName(const std::string& fileName) = 0;
  // Throws std::runtime_error when the file cannot be opened.
  virtual void Open() = 0;
  // From the current position; OnNotify follows when the play finishes, is
  // stopped or fails. Throws on failure.
  virtual void Play() = 0;
  // True while the device plays.
  virtual bool IsPlaying() = 0;
  // Halts playback; throws on failure.
  virtual void Stop() = 0;

  // One call per completion message, whatever its code.
  std::function<void()> OnNotify;
};

// Makes a device holder; the music set makes one when it first needs it.
using TMediaControlFactory = std::function<std::unique_ptr<IMediaControl>()>;

// The system's device (natively none: every Open throws).
std::unique_ptr<IMediaControl> CreateMediaControl();

}  // namespace vanta::platform
