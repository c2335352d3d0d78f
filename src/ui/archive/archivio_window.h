// The archive window "Archivio funzioni": the built-in functions and the archive's records in
// List1, the button "Seleziona", and the two files of the data folder in their containers.
// Modeless; it reads the archive once, when it is loaded, and is destroyed when it closes.
#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace curvalis {

class AppContext;
class DocumentView;

class ArchivioWindow : public QWidget {
  Q_OBJECT
 public:
  // Load: List1 gets the built-in entries, then the records of the archive file.
  ArchivioWindow(AppContext& context, QWidget* parent = nullptr);
  ~ArchivioWindow() override;

  // The built-in entries, in list order.
  static const QStringList& builtInEntries();

  // Gives the containers the archive file and the picture file as they are now.
  void showFiles(const QString& archivePath, const QString& picturePath);

  // Selects the first entry with this text; none (and false) if there is no such entry.
  bool selectEntry(const QString& text);
  // "Seleziona": the window closes, then tells the entry chosen (empty if none).
  void clickSeleziona();

  // Closed, by "Seleziona" or its close box, and waiting to be destroyed: the next
  // "Apri funzione" loads a new window.
  bool unloaded() const { return m_unloaded; }

  QListWidget* list1() const { return m_list1; }
  QPushButton* command1() const { return m_command1; }
  DocumentView* ole1() const { return m_ole1; }
  DocumentView* ole2() const { return m_ole2; }
  QLabel* image1() const { return m_image1; }
  QLabel* image2() const { return m_image2; }

 signals:
  void selected(const QString& entry);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QListWidget* m_list1 = nullptr;
  QPushButton* m_command1 = nullptr;
  DocumentView* m_ole1 = nullptr;
  DocumentView* m_ole2 = nullptr;
  QLabel* m_image1 = nullptr;
  QLabel* m_image2 = nullptr;
  bool m_unloaded = false;
};

}  // namespace curvalis
