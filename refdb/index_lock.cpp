// Taking the index directory's lock and saying who holds it when it cannot be taken.
#include "refdb/index_lock.h"

#include "core/services.h"
#include "core/text.h"

namespace tv {

std::unique_ptr<FileLock> HoldIndexDirectory(const std::string& directory, std::string_view program,
                                             Status& refusal) {
  FileSystem& files = Files();
  // Named in full in the message, so that a refusal says which folder whatever --db was given.
  std::string_view given = directory;
  while (given.starts_with("./")) given.remove_prefix(2);
  if (given == ".") given = {};
  const std::string dir = JoinPath(
      given.starts_with('/') ? std::string(given) : JoinPath(files.CurrentDirectory(), given), "");
  LockAttempt attempt = files.Lock(JoinPath(dir, kIndexLockName), program);
  if (attempt.lock) {
    refusal = Status::Ok();
    return std::move(attempt.lock);
  }
  if (attempt.heldElsewhere) {
    const std::string holder = attempt.holder.empty() ? "another program" : attempt.holder;
    refusal = Status(StatusCode::BadData, "The index directory " + dir + " is held by " + holder +
                                              "; nothing was changed.");
  } else {
    refusal = Status(StatusCode::IoError, "The index directory " + dir + " cannot be locked: " +
                                              dir + kIndexLockName + " Cannot be Created.");
  }
  return nullptr;
}

}  // namespace tv
