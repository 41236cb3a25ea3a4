// The current-peal document (CPealDoc), which shows the peal the ledger hands it, and the logic
// of its windows (CPealView): the four styles and the Clip command.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/commands.h"
#include "app/doc_window.h"

namespace tv {

class CPeal;
class CTolvaneDoc;
class CChooseDoc;

inline constexpr std::string_view kCurrentPealTitle = "Current Peal";

class CPealDoc {
 public:
  // Shows the peal (null for none): retitles the window ("Current Peal" when there is none),
  // then shows the window without taking the focus and redraws it. The ledger keeps ownership
  // of the peal.
  void ShowPeal(const CPeal* peal);
  const std::string& Title() const { return m_title; }
  // The peal shown, found again in the ledger under its number each time, so that a peal a
  // command has since freed (Clear, an import's replacement, a reload) is never drawn: null
  // when the ledger no longer holds it.
  const CPeal* Shown() const;

  CTolvaneDoc* ledger = nullptr;        // not owned
  CChooseDoc* entryChooser = nullptr;   // chooser 1, for peal entry; not owned
  CDocWindow* window = nullptr;         // not owned

 private:
  const CPeal* m_peal = nullptr;  // followed only when there is no ledger to find it in
  uint32_t m_number = 0;
  std::string m_title{kCurrentPealTitle};
};

// The title of the current-peal window for a peal: "No 7 (RW 31234)", the Ringing World
// reference padded to six columns.
std::string CurrentPealTitle(const CPeal& peal);

// One window on the current peal. Each window keeps its own style; a new one starts in RW.
class CPealView : public CCommandTarget {
 public:
  explicit CPealView(CPealDoc& doc) : m_doc(doc) {}

  // The text to draw, by style; empty when no peal is shown. Kept in shownText.
  const std::string& Text();
  bool FixedFont() const;

  std::optional<CmdState> State(Cmd cmd) override;
  void Run(Cmd cmd) override;

  int style = 0;  // PealStyle
  std::string shownText;

 private:
  CPealDoc& m_doc;
};

}  // namespace tv
