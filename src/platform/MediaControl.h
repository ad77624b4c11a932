// A holder of one device of the system's media control interface: plays a
// wave or MIDI file and says when the play request has finished.
//
// On Windows the holder owns a message-only window that receives the
// completion message. Natively it is a scripted fake: tests decide which
// files open and when a play finishes.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

std::unique_ptr<IMediaControl> CreateMediaControl();

#ifndef _WIN32
// The fake opens files that begin with "RIFF" or "MThd" and logs every
// request as "close", "open NAME", "play", "stop" (a failed open as
// "open-failed NAME").
const std::vector<std::string>& MediaControlLogForTests();
// Ends the play request of every playing fake device, as the system does
// when a file plays to its end; the notifications are queued.
void FinishMediaPlayForTests();
// Delivers the queued notifications (as the message loop would), returns
// how many.
int DeliverMediaNotificationsForTests();
void ResetMediaControlForTests();
#endif

}  // namespace vanta::platform
