// Text fields of files: fields separated by control characters, NUL-terminated strings, and
// files padded to whole records.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/file_system.h"

namespace tv {

// Reads one field from the file's position: text up to the next byte below 0x20. A control byte
// read first is skipped (so the LF of a CR LF pair is swallowed), except a NUL, which ends an
// empty field. With no byte left, `out` is unchanged and false is returned. Raises
// FileError(EndOfFile) when the file delivers fewer bytes than its length promised.
bool ReadField(File& file, std::string& out);
// As ReadField, into a buffer of `size` bytes that always ends with a NUL; at most size - 2
// characters are kept and the rest of a long field is read and dropped.
bool ReadFieldInto(File& file, char* buffer, size_t size);
// The text ReadField would give; an end-of-file failure inside the field is absorbed.
std::string ReadFieldText(File& file);

// Writes the text's bytes and one NUL.
void FileWriteString(File& file, std::string_view text);
// Writes the text's bytes with nothing added.
void WriteText(File& file, std::string_view text);
// Moves to the end, pads the file with zero bytes to a whole number of records, and gives the
// number of records.
uint64_t PadFileToRecords(File& file, uint32_t recordSize);

}  // namespace tv
