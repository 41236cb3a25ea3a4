// Layout of a peal ledger file (".tv3" peals, ".qv3" quarter peals; a name ending in "0" is the
// older form). Shared by the record reader and writer.
//
// The file is peal records one after another: no header, no count, no index; the end of the file
// ends the ledger. Each record is a tagged-field record (refdb/tagged_record.h), fields in this
// order, numbers in the narrowest of 1, 2 or 4 bytes and left out when 0:
//   code 31  pealNumber (new form, when not 0). The old form starts instead with the number as a
//            raw 16-bit word, always present.
//   k date << 8 | sequence   s rwPage (16 bits)   a association (1 byte)   t tower
//   w tenor + 0x8000 for a tower peal (16 bits; absent reads as handbell, tenor 0)
//   h time (16 bits)   n changes   m method   c composer   j arranger   g generatedBy
//   d composition   y conductor
//   r ringers: 0xB2, count byte, 16-bit keys; always written, even with no ringers. When a key
//     needs more than 16 bits: 0xD2, count byte, 32-bit keys.
//   s o f v texts (Source, Correction, Footnote, Validity), one field per non-empty entry
//   z b p e positioned entries (bells masks, Bell String, Prefix, Suffix) by ascending position;
//     an i field (0x09, one byte) sets the position first when it differs from the current one.
//     The position starts at 0 in each record and is shared by the four kinds.
//   x texts (Extra)
//   0 end of record
// Readers also take s as text (a Source entry), k's sequence 205 as 0, r as type 5 or 6, and
// skip l, q, u and the codes 0x7B to 0x7E.
#pragma once

#include <cstdint>
#include <string_view>

namespace tv {

inline constexpr uint8_t kPositionTag = 0x09;     // i, one byte
inline constexpr uint8_t kRingerWordsTag = 0xB2;  // r as count + 16-bit values
inline constexpr uint8_t kRingerDwordsTag = 0xD2; // r as count + 32-bit values
inline constexpr uint16_t kTowerPealFlag = 0x8000;
inline constexpr uint16_t kTenorMask = 0x7FFF;
inline constexpr uint8_t kSequenceTakenAsNone = 205;
inline constexpr int kMaxPosition = 255;          // positions are one byte

inline constexpr const char* kPealExtension = ".tv3";
inline constexpr const char* kQuarterPealExtension = ".qv3";
inline constexpr const char* kBackupExtension = ".bak";

// The older record form is chosen by a file name whose last character is "0".
inline bool IsOldFormName(std::string_view path) { return !path.empty() && path.back() == '0'; }

}  // namespace tv
