// Reads peal SGML: a run of tags, each a name between "<" and ">" followed by its content up to
// the next "<"; no closing tags. The escapes "&lt;", "&amp;" and "&#N;" that the writer puts
// in texts are read back as their bytes.
#pragma once

#include <memory>
#include <string>

#include "core/file_system.h"

namespace tv {

class CSGMLFile {
 public:
  explicit CSGMLFile(std::unique_ptr<File> file);
  // Opens a file for reading; null when it cannot be opened.
  static std::unique_ptr<CSGMLFile> Open(const std::string& path);

  // The next tag and its content; false at the end of the file. Line breaks and tabs in the
  // content become one blank, except after a "-", where a broken word is joined; the content
  // is trimmed of blanks, then its escapes are turned back (SgmlUnescape). Anything before the
  // file's first "<" is skipped.
  bool ReadTag(std::string& tag, std::string& content);

  File& GetFile() { return *m_file; }
  uint64_t Position() const { return m_position; }
  uint64_t Length() const { return m_length; }

  // When set, the next ReadTag gives the last tag and content again.
  bool pushedBack = false;
  // Set by a reader that met the end of the file inside a record.
  bool finished = false;

 private:
  bool Next(unsigned char& c);

  std::unique_ptr<File> m_file;
  std::string m_buffer;
  size_t m_next = 0;
  uint64_t m_position = 0;
  uint64_t m_length = 0;
  std::string m_lastTag;
  std::string m_lastContent;
};

}  // namespace tv
