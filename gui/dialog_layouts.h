// How the program's dialogs are arranged on the screen: which band and column of the dialog
// each control or box stands in, boxes whose controls stand in several columns, controls that
// sit on the row of the one before them, and fields drawn narrow. A dialog without a layout is
// one column of captioned rows, which suits the small ones.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>

namespace tv {
class DialogModel;
}

namespace tv::gui {

// Where an item (a control, or a whole box named by its group title) stands: bands run top to
// bottom, the columns of a band left to right; a band with one column spans the dialog.
struct DialogPlace {
  int band = 0;
  int column = 0;
};

struct DialogLayout {
  std::map<std::string, DialogPlace, std::less<>> places;  // by control id or group title
  std::map<std::string, int, std::less<>> groupColumns;    // group title: columns in its box
  std::set<std::string, std::less<>> beside;               // ids drawn on the previous row
  std::map<std::string, int, std::less<>> widths;          // ids drawn this many characters wide

  // The place of a control: its group's, else its own, else the first column of the first band.
  DialogPlace PlaceOf(std::string_view id, std::string_view group) const;
  int ColumnsOf(std::string_view group) const;
};

// The layout of the dialog with this title; an empty layout for the others.
const DialogLayout& LayoutOf(std::string_view title);

// The ids and group titles a layout names that its dialog does not have; empty when the layout
// fits the model. Layouts are written against the models' ids, and this keeps them honest.
std::set<std::string> UnknownLayoutNames(const DialogModel& model);

}  // namespace tv::gui
