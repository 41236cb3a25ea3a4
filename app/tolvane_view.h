// The logic of a peal-list window (CTolvaneView): the lines around its buffer's current peal,
// activation, and the commands of the peal list's menus.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/commands.h"

namespace tv {

class CPeal;
class CTolvaneApp;
class CTolvaneDoc;

struct CListLine {
  std::string text;      // a display line
  bool current = false;  // drawn with text and background colours exchanged
};

inline constexpr int kListLinesShown = 25;
inline constexpr int kListLinesAbove = 5;
// Clip of the peal list stops after the line that takes its size past this.
inline constexpr size_t kListClipLimit = 50000;
inline constexpr std::string_view kListClipTruncated = "Truncated: Size > 50k ";

class CTolvaneView : public CCommandTarget {
 public:
  // A window on `buffer`, which need not exist yet.
  CTolvaneView(CTolvaneApp& app, int buffer) : m_app(app), buffer(buffer) {}

  // Up to 25 lines from five peals above the buffer's current peal; none when the buffer does
  // not exist or has no position.
  std::vector<CListLine> Lines();
  // The window became the active one: an existing buffer becomes the ledger's current buffer.
  void OnActivate();

  std::optional<CmdState> State(Cmd cmd) override;
  void Run(Cmd cmd) override;

 private:
  CTolvaneApp& m_app;

 public:
  const int buffer;
  uint32_t topPeal = 0;  // the peal of the first line last drawn
};

// The peal the current-peal window shows: the current buffer's position; null when none.
CPeal* CurrentPealOf(CTolvaneDoc& ledger);
// Edit (F2): the Peal Details dialog on the current peal, or on an empty peal of no ledger when
// there is none. An error escaping the edit shows the "Unexpected Error!" dialog; the peal keeps
// whatever had been applied.
void EditCurrentPeal(CTolvaneDoc& ledger);

// The lines of buffer 1 on the clipboard, whatever window is active; a list longer than 50000
// characters is cut after the line that passes the limit, with a message that says how many
// lines were copied.
void ClipPealList(const CTolvaneDoc& ledger);
// The text ClipPealList copies: the lines without colour prefixes, each ended by CR LF; `copied`
// gets the number of lines.
std::string ClipListText(const CTolvaneDoc& ledger, size_t* copied = nullptr);
// Buffers > Clear: says how many peals the current buffer's clearing discards and asks first.
void ClearBufferCommand(CTolvaneDoc& ledger);

}  // namespace tv
