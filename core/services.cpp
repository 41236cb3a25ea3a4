// The installed services, defaulting to the machine's files and clock and a headless platform.
#include "core/services.h"

#include "core/real_file_system.h"

namespace tv {
namespace {

FileSystem* g_files = nullptr;
Clock* g_clock = nullptr;
Platform* g_platform = nullptr;

FileSystem& DefaultFiles() {
  static RealFileSystem files;
  return files;
}
Clock& DefaultClock() {
  static SystemClock clock;
  return clock;
}
Platform& DefaultPlatform() {
  static HeadlessPlatform platform;
  return platform;
}

}  // namespace

FileSystem& Files() { return g_files ? *g_files : DefaultFiles(); }
Clock& TheClock() { return g_clock ? *g_clock : DefaultClock(); }
Platform& ThePlatform() { return g_platform ? *g_platform : DefaultPlatform(); }

ScopedServices::ScopedServices(FileSystem* files, Clock* clock, Platform* platform)
    : m_files(g_files), m_clock(g_clock), m_platform(g_platform) {
  if (files) g_files = files;
  if (clock) g_clock = clock;
  if (platform) g_platform = platform;
}

ScopedServices::~ScopedServices() {
  g_files = m_files;
  g_clock = m_clock;
  g_platform = m_platform;
}

}  // namespace tv
