// Text crosses into Qt here: the program's bytes are Windows-1252, Qt's strings are Unicode.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tv::gui {

// Each byte as its Windows-1252 character. The five bytes that code page leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same value, so every
// byte comes back unchanged.
QString ToQt(std::string_view bytes);
// Each character as its Windows-1252 byte; a character the code page lacks becomes '?'.
std::string FromQt(const QString& text);

// File paths are not program text: they keep the file system's own encoding.
std::string PathFromQt(const QString& path);
QString PathToQt(std::string_view path);

}  // namespace tv::gui
