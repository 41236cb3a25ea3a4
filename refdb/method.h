// Methods, their titles and stages, and the method index.
//
// A method is stored in parts (name, class code, stage byte, method count, flags); its printed
// title is always built from them. Record layout (tagged fields, data file of "methods"):
//   key, 'p' class + 16*spliced + 32*little (one byte), 's' stage, 'x' link, 'm' name,
//   'f' first rung (day number), 'n' method count (only when above 1), end byte.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/dates.h"
#include "core/dialog_model.h"
#include "refdb/index.h"
#include "refdb/ind_obj.h"

namespace tv {

inline constexpr int kClassCount = 12;
inline constexpr int kStageCount = 26;
inline constexpr int kHuntWordCount = 5;
inline constexpr int kClassSurprise = 4;
inline constexpr int kClassBob = 2;
inline constexpr uint8_t kTwoStages = 0x80;  // stage bit 7: two adjacent stages
inline constexpr int kFirstDialogStage = 4;  // the dialog's stage list runs Minimus..Dodecuples
inline constexpr int kMaxRecordedCount = 500;
inline constexpr size_t kMaxMethodName = 50;

// Class words by class code; code 0 has the empty word.
extern const std::array<const char*, kClassCount> ClassWords;
// Stage names by number of bells.
extern const std::array<const char*, kStageCount> StageNames;
// Words that may open an imported class description; they are dropped.
extern const std::array<const char*, kHuntWordCount> HuntWords;

// The class word of a class code; the empty text for a code outside the table (a damaged
// record can carry 12 to 15).
std::string_view ClassWord(int methodClass);

// The method part of a peal selection: which test applies, with its bounds.
struct CMethodCriterion {
  enum Kind { kClass = 4, kStage = 5, kMethodCount = 6 };
  int criterion = 0;
  int classIndex = 0;
  bool spliced = false;
  bool little = false;
  int32_t low = 0;
  int32_t high = 0;
};

class CMethod : public CIndObj {
 public:
  int32_t ReadRecord(Archive& in) override;
  void WriteRecord(Archive& out) const override;
  // key,"name",class(+16 when little),stage,count,"S" when spliced,first rung and a line feed.
  void WriteCsvLine(std::string& out) const override;
  // Name (normalised, case ignored), method count, stage byte, class, little, spliced; a
  // missing other orders after this one.
  int Compare(const CIndObj* other) const override;
  // The normalised name against the normalised text, A-Z folded.
  int CompareText(std::string_view text) const override;
  std::string GetName(int variant) const override { return Title(true, variant != 0); }
  // Runs the "Method Details" dialog; 1 when accepted (the fields are then replaced).
  int Edit() override;

  // The printed title: ‘Cambridge Surprise Major’, ‘Spliced Surprise Major (8m)’. With colour,
  // a red prefix for a linked entry, else blue for one with a first-rung date. A stage of 0
  // appends " (#key)" so that such an entry stays recognisable.
  std::string Title(bool withStage, bool withColour) const;
  // The method in the tags of the peal SGML form: ‘<m>Cambridge<mc>Surprise<ms>Major’.
  std::string TaggedText() const;
  // The title without its bracketed tail, and that tail in words through `detail`
  // (‘8 methods’). `detail` is left as it was when the title has a bracket only at its start.
  std::string TitleAndDetail(std::string& detail) const;
  bool MatchesCriterion(const CMethodCriterion& criterion) const;
  // Single stage: lo <= s <= hi. Two stages s-1 and s: both within, so s <= hi and s > lo.
  bool StageInRange(int32_t lo, int32_t hi) const;
  // The category (0 to 19) under which the association-and-stage analysis gathers methods that
  // it does not name. `detailed` splits spliced Surprise Major and multi-method Minor
  // performances by their method count.
  int PacCategory(bool detailed) const;

  std::string name;
  Date firstRung = 0;
  int32_t methodClass = 0;
  uint8_t stage = 0;
  uint16_t methodCount = 1;
  bool spliced = false;
  bool little = false;
};

// The "Method Details" dialog over a method's fields.
class CMethDialog : public DialogModel {
 public:
  explicit CMethDialog(const CMethod& method);
  // Copies the dialog's values into the method (after OK).
  void Apply(CMethod& method) const;

 protected:
  // A first-rung date typed that names no day is refused rather than stored as no date.
  std::optional<std::string> OnOk() override { return RefuseBadDate("firstRung"); }
};

class CMethodIndex : public CIndex {
 public:
  using CIndex::CIndex;
  // A text of digits and brackets only (outside key mode) finds the unnamed entry with that
  // many methods: ‘8’ and ‘(8)’ find the eight-method entry. Anything else as usual.
  int32_t FindEntry(std::string_view text, int32_t numeric) override;
  bool CanImport() const override { return true; }
  // Reads first-rung dates from an SGML file of method records ("<n>" opens each): the method
  // named by "mn", "mc" and "ms" is found or added and takes the earliest date of the record's
  // "f", "hd" and "td" tags. A record without a date adds nothing.
  void ImportSgml(CSGMLFile& file) override;
  std::unique_ptr<CIndObj> NewObject() override;
  std::string CsvHeader() const override;

  // The first entry in order with an empty name and `count` methods, or the entry at which
  // such an entry would stand (0 past the end).
  int32_t FindByCount(int32_t count);
  // The method of a key, or null.
  CMethod* Method(int32_t key) { return static_cast<CMethod*>(Lookup(key)); }
};

inline constexpr int kPacCategoryCount = 20;
// The name of a method category: ‘Single S.’, ‘Spliced S.(8m)’; empty outside 0 to 19.
std::string_view PacCategoryName(int category);

// ‘Major’; ‘Doubles and Minor’ for 0x86; "??" for 26 to 128.
std::string StageName(unsigned stage);
// ‘minor’ gives 6; ‘Doubles & Minor’ and ‘Minor & Doubles’ give 0x86; 0 when not recognised
// (‘Singles’ and the numerals are not).
uint8_t ParseStage(std::string_view text);
// The form in which method names are compared: punctuation to blanks, apostrophes dropped,
// blanks collapsed, " methods" to "m", " variations" to "v", trimmed.
std::string NormaliseName(std::string_view text);
// Order of two method keys: the key difference when either is 0, they are equal, or either
// has no method; otherwise the methods' order.
int CompareMethodKeys(int32_t a, int32_t b);
// Adds a method named "#key" under that very key to the method index; gives the key.
int32_t AddPlaceholder(int32_t key);

}  // namespace tv
