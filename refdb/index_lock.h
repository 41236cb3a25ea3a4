// The one writer of an index directory: a program that writes the indexes holds the directory's
// lock file for as long as it may write, and a second writer is refused at once.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/file_system.h"
#include "core/status.h"

namespace tv {

// The lock file in the index directory; it holds the current holder's name, process and time.
inline constexpr const char* kIndexLockName = "tolvane.lock";

// Takes the index directory `directory` (ending in a separator; empty for the current one) for
// `program`. Null when it cannot, with `refusal` set: BadData naming the directory and the
// holder when another program holds it, IoError when the lock file cannot be made. Nothing in
// the directory is changed then. The hold lasts as long as the returned object.
std::unique_ptr<FileLock> HoldIndexDirectory(const std::string& directory, std::string_view program,
                                             Status& refusal);

}  // namespace tv
