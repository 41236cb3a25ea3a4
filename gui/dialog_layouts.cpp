// The arrangement of each dialog that is more than a column of rows.
#include "gui/dialog_layouts.h"

#include <map>

#include "core/dialog_model.h"

namespace tv::gui {
namespace {

std::string Numbered(const char* stem, int n) { return stem + std::to_string(n); }

DialogLayout PealDetails() {
  DialogLayout layout;
  // Left: where and when; right: what and who, with the footnotes; below: the band.
  for (const char* id : {"method", "composer", "arranger", "generatedBy", "composition",
                         "conductor", "Footnotes"}) {
    layout.places[id] = {0, 1};
  }
  layout.places["Ringers"] = {1, 0};
  layout.groupColumns["Ringers"] = 3;
  layout.groupColumns["Tower or Hand"] = 2;
  layout.beside = {"sequence", "tenor"};
  layout.widths = {{"rwPage", 9}, {"date", 12}, {"sequence", 4}, {"time", 8},
                   {"tenor", 10}, {"changes", 8}};
  return layout;
}

DialogLayout ExtraDetails() {
  DialogLayout layout;
  // The extra to show on the left; its eighteen entries in two columns of nine.
  for (int i = 0; i < 18; ++i) layout.places[Numbered("field", i)] = {0, 1 + i / 9};
  return layout;
}

DialogLayout SelectPeals() {
  DialogLayout layout;
  layout.groupColumns["Select By"] = 2;
  layout.groupColumns["Peals"] = 3;
  for (const char* id : {"searchText", "start", "end", "classList", "spliced", "little", "Peals",
                         "analysis", "exclude", "allBuffers", "valid"}) {
    layout.places[id] = {0, 1};
  }
  return layout;
}

DialogLayout GlobalEdit() {
  DialogLayout layout;
  layout.places["from"] = {0, 1};
  layout.places["to"] = {0, 1};
  return layout;
}

DialogLayout ExportFormat() {
  DialogLayout layout;
  layout.places["SGML"] = {0, 1};
  layout.places["Tables"] = {0, 1};
  layout.places["XML"] = {0, 2};
  layout.places["Include"] = {0, 2};
  return layout;
}

DialogLayout AnalyseBy() {
  DialogLayout layout;
  layout.groupColumns["Analyse by"] = 2;
  for (const char* id : {"showChanges", "showTime", "showFirst", "showScore", "fantasy"}) {
    layout.places[id] = {0, 1};
  }
  return layout;
}

DialogLayout Threshold() {
  DialogLayout layout;
  layout.groupColumns["Stage"] = 2;
  layout.places["threshold"] = {1, 0};
  return layout;
}

DialogLayout TowerDetails() {
  DialogLayout layout;
  // The tower's own values on the left, the linked external record's on the right.
  for (const char* id : {"sxLocation", "sxSaint", "sxBuilding", "sxCounty", "sxAssociation",
                         "sxPractice", "sxMap"}) {
    layout.places[id] = {0, 1};
  }
  layout.beside = {"steeplexKey"};
  layout.widths = {{"bells", 4}, {"tenor", 10}, {"gridRef", 9}, {"untilDate", 12},
                   {"steeplexKey", 6}};
  return layout;
}

DialogLayout DedicationDetails() {
  DialogLayout layout;
  layout.beside = {"prefix"};
  return layout;
}

DialogLayout MethodDetails() {
  DialogLayout layout;
  layout.beside = {"spliced", "mixed"};
  layout.widths = {{"count", 6}, {"firstRung", 12}};
  return layout;
}

DialogLayout CompositionDetails() {
  DialogLayout layout;
  layout.beside = {"method"};
  layout.widths = {{"length", 7}};
  return layout;
}

}  // namespace

DialogPlace DialogLayout::PlaceOf(std::string_view id, std::string_view group) const {
  if (!group.empty()) {
    if (const auto found = places.find(group); found != places.end()) return found->second;
  }
  if (const auto found = places.find(id); found != places.end()) return found->second;
  return {};
}

int DialogLayout::ColumnsOf(std::string_view group) const {
  const auto found = groupColumns.find(group);
  return found == groupColumns.end() ? 1 : found->second;
}

const DialogLayout& LayoutOf(std::string_view title) {
  static const std::map<std::string, DialogLayout, std::less<>> layouts = {
      {"Peal Details", PealDetails()},
      {"Extra Peal Details", ExtraDetails()},
      {"Select Peals", SelectPeals()},
      {"Global Edit", GlobalEdit()},
      {"Export Format", ExportFormat()},
      {"Analyse by", AnalyseBy()},
      {"Analysis Threshold", Threshold()},
      {"Tower Details", TowerDetails()},
      {"Dedication Details", DedicationDetails()},
      {"Method Details", MethodDetails()},
      {"Composition Details", CompositionDetails()},
  };
  static const DialogLayout none;
  const auto found = layouts.find(title);
  return found == layouts.end() ? none : found->second;
}

std::set<std::string> UnknownLayoutNames(const DialogModel& model) {
  std::set<std::string, std::less<>> known;
  for (const DialogControl& control : model.Controls()) {
    known.insert(control.id);
    if (!control.group.empty()) known.insert(control.group);
  }
  const DialogLayout& layout = LayoutOf(model.Title());
  std::set<std::string> unknown;
  auto check = [&](const std::string& name) {
    if (!known.contains(name)) unknown.insert(name);
  };
  for (const auto& [name, place] : layout.places) check(name);
  for (const auto& [name, columns] : layout.groupColumns) check(name);
  for (const std::string& name : layout.beside) check(name);
  for (const auto& [name, width] : layout.widths) check(name);
  return unknown;
}

}  // namespace tv::gui
