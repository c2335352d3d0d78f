// A document container of the archive window: it shows a file of the data folder, as a
// picture or by its name under an icon, and opens it with the desktop's application for it
// on a double click (or Enter). A missing file shows its name greyed and opens nothing.
#pragma once

#include <QFrame>
#include <QPixmap>
#include <QString>
#include <functional>

namespace curvalis {

class DocumentContainer : public QFrame {
  Q_OBJECT
 public:
  enum class Content { Picture, Icon };
  DocumentContainer(Content content, QWidget* parent = nullptr);

  // Takes the file as it is now: a picture container reads the image at once.
  void setFile(const QString& path);
  const QString& file() const { return path_; }
  bool fileExists() const { return exists_; }
  bool showsPicture() const { return !thumbnail_.isNull(); }
  // Opens the file with the desktop's application; false when there is no file to open.
  bool openFile();

  // Replaces the desktop opener (tests use it, so that no other program starts).
  static void setOpener(std::function<void(const QString& path)> opener);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  Content content_;
  QString path_;
  bool exists_ = false;
  QPixmap thumbnail_;
};

}  // namespace curvalis
