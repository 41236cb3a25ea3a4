// The services that library code reaches without owning them: the file system, the clock and
// the platform. The program installs real ones at start; tests install doubles for a scope.
#pragma once

#include "core/clock.h"
#include "core/file_system.h"
#include "core/platform.h"

namespace tv {

FileSystem& Files();
Clock& TheClock();
Platform& ThePlatform();

// Installs the given services (null keeps the current one) and restores the previous ones when
// it goes out of scope.
class ScopedServices {
 public:
  ScopedServices(FileSystem* files, Clock* clock, Platform* platform);
  ~ScopedServices();
  ScopedServices(const ScopedServices&) = delete;
  ScopedServices& operator=(const ScopedServices&) = delete;

 private:
  FileSystem* m_files;
  Clock* m_clock;
  Platform* m_platform;
};

}  // namespace tv
