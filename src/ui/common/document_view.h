// A document of a window: a file shown as a thumbnail, by its name, or by a fixed picture, or
// an icon with a caption. A double click (or one of its activation keys) opens the file with
// the opener the window gives, or runs the window's action. A missing file opens nothing.
#pragma once

#include <QFrame>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <functional>
#include <vector>

namespace curvalis {

class DocumentView : public QFrame {
  Q_OBJECT
 public:
  enum class Look {
    Thumbnail,  // a picture file scaled into a sunken frame; its name when it cannot be read
    FileName,   // the file's name at the foot of a sunken frame, under an icon the window places
    Picture,    // a fixed picture filling the widget, no frame
    Package,    // an icon with a caption under it, no frame
  };
  using Opener = std::function<void(const QString& path)>;

  explicit DocumentView(Look look, QWidget* parent = nullptr);

  // How a file is opened; without one, the desktop's application for it opens it.
  void setOpener(Opener opener) { m_opener = std::move(opener); }
  // Activation runs `action` instead of opening a file.
  void setAction(std::function<void()> action) { m_action = std::move(action); }
  // The keys that activate the view while it has the focus (none by default).
  void setActivationKeys(std::vector<int> keys) { m_keys = std::move(keys); }
  // The fixed picture of Look::Picture.
  void setPicture(const QPixmap& picture);
  // The icon and caption of Look::Package.
  void setIcon(const QIcon& icon, const QString& caption);

  // Takes the file as it is now: a thumbnail reads the image at once.
  void setFile(const QString& path);
  const QString& file() const { return m_path; }
  bool fileExists() const { return m_exists; }
  bool showsPicture() const { return !m_picture.isNull(); }
  const QPixmap& picture() const { return m_picture; }

  // Runs the action, or opens the file; false when there is nothing to open.
  bool activate();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void paintFocus(QPainter& p, const QRect& around);

  Look m_look;
  QString m_path;
  bool m_exists = false;
  QPixmap m_picture;
  QIcon m_icon;
  QString m_caption;
  Opener m_opener;
  std::function<void()> m_action;
  std::vector<int> m_keys;
};

}  // namespace curvalis
