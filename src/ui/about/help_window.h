// The help of the program: Italian HTML pages compiled into the program, shown in a window
// with the table of contents beside the page.
#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QTreeWidget;

namespace curvalis {

struct HelpTopic {
  enum class Kind { Guide, Command, Theory };
  QString file;   // the page under :/help/
  QString title;  // the page's <title>, shown in the table of contents
  Kind kind;
};

// Every page of the help, in the order of the table of contents: the guide pages, the
// commands, the theory.
const QList<HelpTopic>& HelpTopics();

class HelpWindow : public QWidget {
  Q_OBJECT
 public:
  // A window of its own (Qt::Window) that `owner` deletes; closing deletes it too.
  explicit HelpWindow(QWidget* owner);

  // Shows the window at `file`, or at the page it shows already, and brings it forward.
  void open(const QString& file = {});
  void showTopic(const QString& file);
  QTextBrowser* browser() const { return m_browser; }
  QTreeWidget* contents() const { return m_contents; }

 private:
  // Marks the topic of `page` in the table of contents.
  void selectTopicOf(const QUrl& page);

  QTextBrowser* m_browser = nullptr;
  QTreeWidget* m_contents = nullptr;
};

}  // namespace curvalis
