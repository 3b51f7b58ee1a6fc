// The progress windows: a last-in first-out stack of small captionless
// windows, each with a text and a thermometer bar, opened while a design is
// read. The stack owns its windows. Requests never fail: an open beyond
// kMaxProgressWindows is counted but shows nothing, so that its close does
// not take down a window opened before it.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

namespace corvalinde::ui {

class Dialog;

inline constexpr int kMaxProgressWindows = 10;
inline constexpr int kProgressClose = -1;           // close the newest, focus back where it was
inline constexpr int kProgressCloseKeepFocus = -2;  // close the newest, leave the focus alone

class ProgressStack {
 public:
  ProgressStack();
  ~ProgressStack();
  ProgressStack(const ProgressStack&) = delete;
  ProgressStack& operator=(const ProgressStack&) = delete;

  // value >= 1 with a text: open a window whose bar runs from 0 to value;
  // value >= 1 without text: move the newest window's bar to value (clamped);
  // 0: nothing; kProgressClose, kProgressCloseKeepFocus: close the newest.
  void request(int value, std::string_view text);

  // Windows on screen, and opens counted beyond the limit.
  int depth() const;
  int ignored_opens() const { return ignored_; }
  // The newest window (nullptr when none), its bar's position and scale.
  Dialog* newest() const;
  int newest_value() const;
  int newest_scale() const;

 private:
  struct Level;
  void open(int scale, std::string_view text);
  void close(bool restore_focus);

  std::vector<std::unique_ptr<Level>> levels_;
  int ignored_ = 0;
};

// The process-wide stack the user-interface port uses.
ProgressStack& progress_stack();
void progress_window(int value, std::string_view text);

}  // namespace corvalinde::ui
