// The start-up settings kept with QSettings: the index directory used last, and the one used
// with each ledger; and where the demonstration database is written.
#pragma once

#include <QSettings>
#include <QString>

#include "app/start_directory.h"

namespace tv::gui {

class QtStartSettings : public CStartSettings {
 public:
  // Reads and writes `settings`, which must outlive this object.
  explicit QtStartSettings(QSettings& settings) : m_settings(settings) {}

  std::string LedgerDirectory(const std::string& ledger) const override;
  void SetLedgerDirectory(const std::string& ledger, const std::string& directory) override;
  std::string LastDirectory() const override;
  void SetLastDirectory(const std::string& directory) override;

 private:
  QSettings& m_settings;
};

// The user's data folder for Tolvane (~/.local/share/Tolvane), where the demonstration
// database is written.
QString DemoFolder();

}  // namespace tv::gui
