// The analysis document: the current analysis with its main and alternative presentations, the
// "Analyse by" dialog, and the commands of the analysis window (Switch, Threshold, Equivalence,
// Export, Clip, Save As). The window itself only draws the lines it is told to redraw.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/anal_list.h"
#include "core/dialog_model.h"
#include "core/status.h"
#include "peals/selection_state.h"

namespace tv {

class CPealLedger;
class CTolvaneDoc;

// The ten choices of "Analyse by", in the dialog's order.
enum class AnalysisKind {
  Association, Tower, Changes, Time, Composer, Method, Ringer, Pac, DayMonth, MonthYear
};
inline constexpr int kAnalysisKindCount = 10;

// The choice's caption in the dialog ("Association" ... "Date (m-y)").
std::string_view AnalysisCaption(AnalysisKind kind);
// The choice's one-word name ("association" ... "month"), as the command line takes it; also
// the id of its button in the dialog.
std::string_view AnalysisName(AnalysisKind kind);
// The choice a name gives; nothing for an unknown name.
std::optional<AnalysisKind> FindAnalysisKind(std::string_view name);
// The options of the dialog that a choice takes; the others stay off.
CAnalOptions OptionsTaken(AnalysisKind kind, const CAnalOptions& ticked);
// A new, empty analysis of the chosen kind with the options it takes.
std::unique_ptr<CAnalList> MakeAnalysis(AnalysisKind kind, const CAnalOptions& ticked,
                                        const CAnalSelection& selection, Date today);

// The "Analyse by" dialog: one choice of ten ("Association" at first) and the boxes
// "Changes", "Time", "Date", "Recent" and "Fantasy", all clear at first.
class CAnalyseDlg : public DialogModel {
 public:
  CAnalyseDlg();
  static std::string ChoiceId(AnalysisKind kind);
  void Choose(AnalysisKind kind);
  AnalysisKind Chosen() const;
  CAnalOptions Ticked() const;
};

// What the analysis window is told.
class CAnalListener {
 public:
  virtual ~CAnalListener() = default;
  // A new analysis is ready: the window shows `title`, comes to the top and redraws.
  virtual void AnalysisShown(const std::string& title) = 0;
  // The shown lines changed (Switch, Threshold).
  virtual void AnalysisRedraw() = 0;
};

// The export text of report lines: the date line, an empty line, then every line without its
// colour prefix; each line ends in CR LF.
std::string AnalysisExportText(const std::vector<std::string>& lines, Date today);
// The clipboard text of report lines: each line without its colour prefix and with CR LF, while
// the running size (1 for the final NUL, then each line's length + 2) stays within 32767 bytes;
// the first line that would pass it and every line after it are left out.
std::string AnalysisClipText(const std::vector<std::string>& lines);
inline constexpr size_t kAnalysisClipLimit = 32767;

class CAnalDoc : public CAnalysisQuery {
 public:
  // `today` fixes the day for the whole run; 0 takes it from the clock when first needed.
  explicit CAnalDoc(Date today = 0);
  ~CAnalDoc() override;

  // --- Analyse (the peal ledger's command) ---
  // Runs "Analyse by" and, on OK, analyses the ledger's current buffer under the selection that
  // made it. The ledger's Analysis selection test then asks this document. False on Cancel.
  bool Analyse(CTolvaneDoc& ledger);
  // The analysis itself: the peals of `buffer` in ledger order, those with a Validity entry
  // skipped, counted into a new analysis that replaces the previous one; then both
  // presentations are built and the window is told.
  void Run(const CPealLedger& ledger, int buffer, AnalysisKind kind, const CAnalOptions& ticked,
           const CAnalSelection& selection);

  // --- the Options menu ---
  bool CanSwitch() const { return m_list && m_list->HasAlternative(); }
  bool CanThreshold() const { return m_list && m_list->HasThreshold(); }
  bool CanEquivalence() const { return m_list && m_list->HasEquivalence(); }
  void Switch();
  void Threshold();
  void Equivalence();

  // --- the File menu ---
  bool HasAnalysis() const { return m_list != nullptr; }
  // Asks for a text file (KeyTitle + ".prn") and writes the shown lines' export text into it.
  // Nothing is reported when the file cannot be written.
  void Export();
  // Puts the shown lines on the clipboard.
  void Clip();
  // Asks for a name (new.dat) and writes the rows' entries as a new index pair, NAME".da3" and
  // NAME".id3", in the current directory.
  void SaveAs();

  // --- state ---
  // The lines the window shows: the alternative ones when switched to them.
  const std::vector<std::string>& Shown() const;
  const std::vector<std::string>& MainLines() const { return m_mainLines; }
  // The alternative lines; the main ones for an analysis without an alternative.
  const std::vector<std::string>& AltLines() const { return m_ownAlt ? m_altLines : m_mainLines; }
  std::string Title() const;
  std::string ExportText() const { return AnalysisExportText(Shown(), AnalysisDay()); }
  CAnalList* List() const { return m_list.get(); }
  // Today's date for this run, taken from the clock once.
  Date AnalysisDay() const;

  bool HasRungTowerPeals(int32_t person) const override;

  // Kept from one analysis to the next.
  bool showAlternative = false;
  CAnalListener* listener = nullptr;  // not owned

 private:
  std::shared_ptr<CAnalList> m_list;
  // The last analysis that opened the chooser for an equivalence: the chooser may still report
  // to it after a new analysis replaced it.
  std::shared_ptr<CAnalList> m_chooserTarget;
  std::vector<std::string> m_mainLines;
  std::vector<std::string> m_altLines;
  bool m_ownAlt = false;
  mutable Date m_today = 0;
};

}  // namespace tv
