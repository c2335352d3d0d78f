#include "io/archivio_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>

#include "io/archive_file.h"
#include "io/archive_format.h"
#include "io/data_folder.h"
#include "io/document_container.h"
#include "ui/main/tervano.h"

namespace curvalis {
namespace {

// Client area 7890 x 5895 twips.
constexpr int kWidth = 7890 / 15;
constexpr int kHeight = 5895 / 15;

void Place(QWidget* w, int left, int top, int width, int height) {
  w->setGeometry(left / 15, top / 15, width / 15, height / 15);
}

QLabel* MakeIcon(const char* name, const QString& file, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  QIcon icon;
  icon.addFile(file);
  label->setPixmap(icon.pixmap(QSize(32, 32), parent->devicePixelRatioF()));
  label->setAlignment(Qt::AlignCenter);
  // Clicks go through to the container the icon sits on.
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  return label;
}

}  // namespace

const QStringList& ArchivioWindow::builtInEntries() {
  static const QStringList entries = {
      "x",       "x^2",     "x^3",     "sqrt(x)", "x^(1/3)",  "exp(x)",   "10^x",
      "ln(x)",   "log(x)",  "sin(x)",  "cos(x)",  "tan(x)",   "asin(x)",  "acos(x)",
      "atan(x)", "sinh(x)", "cosh(x)", "tanh(x)", "asinh(x)", "acosh(x)", "atanh(x)"};
  return entries;
}

ArchivioWindow::ArchivioWindow(Tervano& main, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_main(main) {
  setObjectName(QStringLiteral("Archivio"));
  setWindowTitle(QStringLiteral("Archivio funzioni"));
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(kWidth, kHeight);

  m_list1 = new QListWidget(this);
  m_list1->setObjectName(QStringLiteral("List1"));
  Place(m_list1, 360, 360, 4935, 5130);
  m_list1->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list1->setUniformItemSizes(true);  // long archives open fast
  m_list1->setSortingEnabled(false);
  QFont font;
  font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(12);
  m_list1->setFont(font);
  QPalette pal = m_list1->palette();
  pal.setColor(QPalette::Base, QApplication::palette("QMenu").color(QPalette::Window));
  m_list1->setPalette(pal);

  m_command1 = new QPushButton(QStringLiteral("Seleziona"), this);
  m_command1->setObjectName(QStringLiteral("Command1"));
  Place(m_command1, 6000, 2760, 1095, 495);
  m_command1->setAutoDefault(true);  // Enter on the focused button presses it
  connect(m_command1, &QPushButton::clicked, this, &ArchivioWindow::clickSeleziona);

  m_ole2 = new DocumentContainer(DocumentContainer::Content::Picture, this);
  m_ole2->setObjectName(QStringLiteral("OLE2"));
  Place(m_ole2, 5640, 960, 1695, 1215);
  m_image1 = MakeIcon("Image1", QStringLiteral(":/io/chart.png"), this);
  Place(m_image1, 6240, 960, 480, 480);

  m_ole1 = new DocumentContainer(DocumentContainer::Content::Icon, this);
  m_ole1->setObjectName(QStringLiteral("OLE1"));
  Place(m_ole1, 5640, 4320, 1815, 855);
  m_image2 = MakeIcon("Image2", QStringLiteral(":/io/cabinet.png"), this);
  Place(m_image2, 6360, 4320, 480, 480);

  setTabOrder(m_command1, m_list1);
  setTabOrder(m_list1, m_ole1);
  setTabOrder(m_ole1, m_ole2);
  m_command1->setFocus();

  // Load: the built-in entries, then the archive's records in file order.
  QStringList entries = builtInEntries();
  entries += ReadArchiveFile(
      DataFilePath(QString::fromUtf8(kArchiveFileName.data(), qsizetype(kArchiveFileName.size()))));
  m_list1->addItems(entries);

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = screen->availableGeometry();
    move(area.center() - QPoint(kWidth / 2, kHeight / 2));
  }
}

ArchivioWindow::~ArchivioWindow() = default;

void ArchivioWindow::showFiles(const QString& archivePath, const QString& picturePath) {
  m_ole1->setFile(archivePath);
  m_ole2->setFile(picturePath);
  // The chart icon stands for the picture while there is none to show.
  m_image1->setVisible(!m_ole2->showsPicture());
}

bool ArchivioWindow::selectEntry(const QString& text) {
  for (int row = 0; row < m_list1->count(); ++row) {
    QListWidgetItem* item = m_list1->item(row);
    if (item->text() == text) {
      m_list1->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
      m_list1->scrollToItem(item);
      return true;
    }
  }
  m_list1->clearSelection();
  return false;
}

void ArchivioWindow::clickSeleziona() {
  const QList<QListWidgetItem*> selected = m_list1->selectedItems();
  const QString s = selected.isEmpty() ? QString() : selected.front()->text();
  Tervano& main = m_main;
  close();  // unloaded; destroyed once the event loop runs
  main.commands().DrawStartAxes();
  main.funzione()->setText(s);
  main.host().ControlText("Funzione", s.toStdString());
}

void ArchivioWindow::closeEvent(QCloseEvent* event) {
  unloaded_ = true;
  event->accept();
}

}  // namespace curvalis
