// The tag reader of peal SGML files.
#include "core/sgml_file.h"

#include "core/escaping.h"
#include "core/services.h"
#include "core/text.h"

namespace tv {

CSGMLFile::CSGMLFile(std::unique_ptr<File> file) : m_file(std::move(file)) {
  m_length = m_file->Length();
}

std::unique_ptr<CSGMLFile> CSGMLFile::Open(const std::string& path) {
  auto file = Files().Open(path, OpenMode::Read);
  if (!file) return nullptr;
  return std::make_unique<CSGMLFile>(std::move(file));
}

bool CSGMLFile::Next(unsigned char& c) {
  if (m_next == m_buffer.size()) {
    m_buffer.resize(1 << 16);
    const size_t got = m_file->Read(m_buffer.data(), m_buffer.size());
    m_buffer.resize(got);
    m_next = 0;
    if (got == 0) return false;
  }
  c = static_cast<unsigned char>(m_buffer[m_next++]);
  ++m_position;
  return true;
}

bool CSGMLFile::ReadTag(std::string& tag, std::string& content) {
  content.clear();
  if (pushedBack) {
    pushedBack = false;
    tag = m_lastTag;
    content = m_lastContent;
    return true;
  }
  tag.clear();
  unsigned char c = 0;
  // The name: leading "<" skipped, then everything up to ">". What a file holds before its
  // first "<" (a byte-order mark, blank lines, a title) is no tag and is passed over.
  bool more = Next(c);
  if (m_position == 1) {
    while (more && c != '<') more = Next(c);
  }
  while (more && c == '<') more = Next(c);
  if (!more) {
    m_lastTag.clear();
    m_lastContent.clear();
    return false;
  }
  while (more && c != '>') {
    tag += static_cast<char>(c);
    more = Next(c);
  }
  while (more && c == '>') more = Next(c);
  // The content, up to the next "<".
  bool pendingBreak = false;
  while (more && c != '<') {
    if (c < 0x20) {
      if (!content.empty() && content.back() != '-') pendingBreak = true;
    } else {
      if (pendingBreak) content += ' ';
      pendingBreak = false;
      content += static_cast<char>(c);
    }
    more = Next(c);
  }
  TrimSpaces(content);
  content = SgmlUnescape(content);
  m_lastTag = tag;
  m_lastContent = content;
  return true;
}

}  // namespace tv
