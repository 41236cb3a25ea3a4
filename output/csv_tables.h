// The peal tables for spreadsheets: Full (names), Peals (keys), Ringer (one row per position)
// and Extras (one row per tagged entry).
//
// Layout shared by the four: fields separated by ","; texts between double quotes, written as
// they stand (inner quotes and commas are not doubled or escaped); numbers bare. The header line
// ends with LF alone, every data row with CR LF. A missing index entry gives an empty text. The
// generator (Full: name, Peals: key) stands after the arranger without a header name.
#pragma once

#include <string>

#include "peals/peal_record.h"

namespace tv {

inline constexpr int kTableRingerColumns = 18;

std::string TableFullHeader();
std::string TablePealsHeader();
std::string TableRingerHeader();
std::string TableExtrasHeader();

// The peal's rows, each ended by CR LF. A Full row has at least the header's eighteen ringer
// columns; more ringers make it longer.
std::string TableFull(const CPeal& peal);
std::string TablePeals(const CPeal& peal);
std::string TableRinger(const CPeal& peal);
std::string TableExtras(const CPeal& peal);

}  // namespace tv
