// Start-up settings with QSettings.
#include "gui/start_settings.h"

#include <QDir>
#include <QStandardPaths>
#include <QUrl>

#include "gui/win1252.h"

namespace tv::gui {
namespace {

constexpr const char* kLastDirectoryKey = "IndexDirectory/last";
constexpr const char* kLedgerGroup = "IndexDirectory/ledgers";

// A ledger's settings key: its cleaned path, percent-encoded so that its separators do not
// make groups of their own.
QString LedgerKey(const std::string& ledger) {
  const QString path = QDir::cleanPath(PathToQt(ledger));
  return QString::fromLatin1(QUrl::toPercentEncoding(path));
}

}  // namespace

std::string QtStartSettings::LedgerDirectory(const std::string& ledger) const {
  const QString key = QString(kLedgerGroup) + '/' + LedgerKey(ledger);
  return PathFromQt(m_settings.value(key).toString());
}

void QtStartSettings::SetLedgerDirectory(const std::string& ledger, const std::string& directory) {
  m_settings.setValue(QString(kLedgerGroup) + '/' + LedgerKey(ledger), PathToQt(directory));
}

std::string QtStartSettings::LastDirectory() const {
  return PathFromQt(m_settings.value(kLastDirectoryKey).toString());
}

void QtStartSettings::SetLastDirectory(const std::string& directory) {
  m_settings.setValue(kLastDirectoryKey, PathToQt(directory));
}

QString DemoFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Tolvane";
}

}  // namespace tv::gui
