// The archive window "Archivio funzioni".
#pragma once

#include <QWidget>

namespace curvalis {

class Tervano;

class ArchivioWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ArchivioWindow(Tervano& main, QWidget* parent = nullptr);
  ~ArchivioWindow() override;

  // Selects the first entry with this text; none (and false) if there is no such entry.
  bool selectEntry(const QString& text);
  // "Seleziona".
  void clickSeleziona();
};

}  // namespace curvalis
