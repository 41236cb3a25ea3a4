// The central online performance database's XML, as the performances import reads it and the
// performances export writes it: the names of its elements and attributes, and the tags under
// which a peal keeps, in its "x" list, what the XML carries and the peal has no field for.
//
//   <performances>                              (the list root; a lone <performance> also reads)
//     <performance id="P1000001">               id: kept as the Source entry "BB P1000001"
//       <association>…</association>
//       <place towerbase-id="6918" dove-tower-id="12574">   the external record key and the
//         <place-name type="place|dedication|county">…       tower database's own id
//         <ring type="tower|hand" tenor="8-2-22" dove-ring-id="12574"/>
//       </place>
//       <date>2024-03-16</date>                  ISO
//       <duration>2h 41</duration>               free text; written as "2h 41", "3h", "45m"
//       <title><changes>5040</changes><method>Plain Bob Minor</method></title>
//       <details>…</details>                     the composition's method details
//       <composer>Anne Example</composer>        "arr. NAME" names the arranger
//       <ringers><ringer bell="1" conductor="true">…</ringer>…</ringers>
//       <footnote>…</footnote>                   repeated
//       <flag type="…"/> <timestamp>…</timestamp> <source site="…" ref="…"/>
//     </performance>
//   </performances>
//
// Written in UTF-8 with CR LF line ends.
#pragma once

#include <cstdint>
#include <string_view>

namespace tv::performance {

// The Source entry that names a performance of the database: this prefix and its id.
inline constexpr std::string_view kSourcePrefix = "BB ";

// Tags of the "x" entries ("tag:text") that carry what has no field of a peal. The export
// writes these back; any other "x" entry (an unknown element's "name:text") is the peal's own.
inline constexpr std::string_view kTagTenor = "tenor";          // the tenor text as given
inline constexpr std::string_view kTagDate = "date";            // a date that could not be read
inline constexpr std::string_view kTagDuration = "duration";    // a duration that could not be read
inline constexpr std::string_view kTagChanges = "changes";      // changes that could not be read
inline constexpr std::string_view kTagTowerBase = "towerbase-id";   // ids naming no external record
inline constexpr std::string_view kTagDoveTower = "dove-tower-id";
inline constexpr std::string_view kTagDoveRing = "dove-ring-id";
inline constexpr std::string_view kTagConductor = "conductor";  // conductors after the first
inline constexpr std::string_view kTagFlag = "flag";            // the type, then " " and any text
inline constexpr std::string_view kTagTimestamp = "timestamp";
inline constexpr std::string_view kTagSource = "source";        // site, " ", ref

// The size of a handbell tenor as given ("15 in C", "size 15"): its first run of digits, kept
// to 16 bits; 0 when it has none.
constexpr uint16_t HandbellSize(std::string_view text) {
  const size_t first = text.find_first_of("0123456789");
  if (first == std::string_view::npos) return 0;
  uint32_t value = 0;
  for (size_t i = first; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + static_cast<uint32_t>(text[i] - '0');
    if (value > 0xFFFF) value = 0xFFFF;
  }
  return static_cast<uint16_t>(value);
}

inline constexpr std::string_view kListRoot = "performances";
inline constexpr std::string_view kPerformance = "performance";

}  // namespace tv::performance
