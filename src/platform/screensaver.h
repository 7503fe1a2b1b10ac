// Keeps the desktop's screen saver from starting while the program runs,
// through the freedesktop ScreenSaver interface on the session bus.
#pragma once

#include <QString>
#include <cstdint>

class ScreenSaverInhibitor {
 public:
  ScreenSaverInhibitor() = default;
  ~ScreenSaverInhibitor();
  ScreenSaverInhibitor(const ScreenSaverInhibitor&) = delete;
  ScreenSaverInhibitor& operator=(const ScreenSaverInhibitor&) = delete;

  // Asks the screen saver to stay off; false (and a log line) when there is no
  // session bus or no screen saver service.
  bool Inhibit(const QString& application, const QString& reason);
  // Gives the screen saver back; does nothing when it was not inhibited.
  void Release();
  bool inhibited() const { return inhibited_; }

 private:
  std::uint32_t cookie_ = 0;
  bool inhibited_ = false;
};
