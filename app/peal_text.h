// The texts the peal windows show: one line per peal in the list, and the current peal in one of
// the four published styles. Every peal window takes its text from here.
#pragma once

#include <string>

namespace tv {

class CPeal;

// The styles of the current-peal window, in the order of its Style menu.
enum PealStyle : int { kStyleRw = 0, kStyleRwq = 1, kStyleSgml = 2, kStyleAscy = 3 };

// The one-line summary of a peal in the peal list (a display line: it may carry a colour prefix).
std::string ListLine(const CPeal& peal);
// The peal in full in a style; several lines separated by CR LF.
std::string PealText(const CPeal& peal, int style);

}  // namespace tv
