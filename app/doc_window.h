// What the documents need of their windows: the desktop program gives each document window this
// face, and tests give a recording one.
#pragma once

#include <string>

namespace tv {

class CDocWindow {
 public:
  virtual ~CDocWindow() = default;
  // Shows the window (restoring a minimised or hidden one) and brings it to the top; with
  // `activate` false the input focus stays where it was.
  virtual void ShowWindow(bool activate) = 0;
  // Minimises and hides the window.
  virtual void HideWindow() = 0;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void Redraw() = 0;
};

}  // namespace tv
