// The Windows-1252 code page: Latin-1 everywhere except 0x80 to 0x9F.
#include "gui/win1252.h"

#include <QFile>

namespace tv::gui {
namespace {

// 0x80 to 0x9F; 0 marks a byte the code page leaves unassigned.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t CharOf(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F && kHigh[byte - 0x80] != 0) return kHigh[byte - 0x80];
  return byte;
}

char ByteOf(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i) {
    // Unassigned bytes travel as the control character of their own value.
    const char16_t mapped = kHigh[i] != 0 ? kHigh[i] : static_cast<char16_t>(0x80 + i);
    if (mapped == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

QString ToQt(std::string_view bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (const char b : bytes) text.append(QChar(CharOf(static_cast<unsigned char>(b))));
  return text;
}

std::string FromQt(const QString& text) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(text.size()));
  for (const QChar c : text) bytes += ByteOf(c.unicode());
  return bytes;
}

std::string PathFromQt(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString PathToQt(std::string_view path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

}  // namespace tv::gui
