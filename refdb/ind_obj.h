// Indexed objects: the base of every reference entry (CIndObj), the selection target that index
// choosers report to (CSelTgt), and the simplest kind, a name with a short form (CIndStr).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/archive.h"
#include "core/platform.h"

namespace tv {

class CIndex;
class TaggedReader;

class CIndObj {
 public:
  virtual ~CIndObj() = default;

  // The record at the archive's position (a data file); gives the key read.
  virtual int32_t ReadRecord(Archive& in) { (void)in; return 0; }
  // Appends one record at the archive's position.
  virtual void WriteRecord(Archive& out) const { (void)out; }
  // Appends one line of the index's CSV table: key,"GetName(1)" and a line feed.
  virtual void WriteCsvLine(std::string& out) const;
  // Index order: negative when this object sorts before `other` (an object of the same kind,
  // or null).
  virtual int Compare(const CIndObj* other) const { (void)other; return 0; }
  // Order against a typed text: negative when this object sorts before it.
  virtual int CompareText(std::string_view text) const { (void)text; return 0; }
  virtual std::string GetName(int variant) const { (void)variant; return {}; }
  virtual std::string GetDetails() const { return GetName(1); }
  // Runs the object's edit dialog; nonzero when the user accepted it.
  virtual int Edit() { return 0; }
  // Shows GetDetails() in the modal display window.
  virtual void Display() const;

  int32_t key = 0;
  int32_t link = 0;  // another entry of the same index that stands for this one
  uint8_t used = 0;  // referenced; set by CIndex::MarkUsed, in memory only
};

// Whatever an index chooser reports to.
class CSelTgt : public CIndObj, public ChoiceTarget {
 public:
  void OnChosen(int32_t key) override { (void)key; }
};

// A name and its short form; the index sorts and searches by the short form.
class CIndStr : public CIndObj {
 public:
  int32_t ReadRecord(Archive& in) override;
  void WriteRecord(Archive& out) const override;
  int Compare(const CIndObj* other) const override;
  int CompareText(std::string_view text) const override;
  std::string GetName(int variant) const override;

  // Takes the name from the next field of a text file (the external tower string files): one
  // leading and one trailing blank are removed; the short form is its capital letters.
  void ReadText(File& file);

  std::string name = "?";
  std::string abbreviation = "?";
  uint8_t kind = 0;  // meaning belongs to the subclass (an association's affiliation)
};

}  // namespace tv
