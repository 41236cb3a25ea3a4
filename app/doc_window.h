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
  // Saves the window's picture (the Records window's chart) as a PNG file at `path`, through a
  // temporary file beside it; false when the window has none or the file cannot be written.
  virtual bool SaveImage(const std::string& path) {
    (void)path;
    return false;
  }
};

}  // namespace tv
