#include "ui/archive/archivio_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "core/archive_format.h"
#include "io/archive_file.h"
#include "io/data_folder.h"
#include "ui/common/app_context.h"
#include "ui/common/document_view.h"
#include "ui/common/layout.h"

namespace curvalis {
namespace {

// Client area 7890 x 5895 twips.
constexpr int kWidth = Twips(7890);
constexpr int kHeight = Twips(5895);

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

ArchivioWindow::ArchivioWindow(AppContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("Archivio"));
  setWindowTitle(QStringLiteral("Archivio funzioni"));
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(kWidth, kHeight);

  m_list1 = PlaceNamed(new QListWidget(this), "List1", 360, 360, 4935, 5130);
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

  m_command1 = PlaceNamed(new QPushButton(QStringLiteral("Seleziona"), this), "Command1", 6000,
                          2760, 1095, 495);
  m_command1->setAutoDefault(true);  // Enter on the focused button presses it
  connect(m_command1, &QPushButton::clicked, this, &ArchivioWindow::clickSeleziona);
  // A double click on an entry chooses it, as "Seleziona" would.
  connect(m_list1, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    m_list1->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
    clickSeleziona();
  });

  // The documents open with the desktop's application on a double click, Enter or Return.
  auto document = [this, &context](DocumentView::Look look) {
    auto* view = new DocumentView(look, this);
    view->setOpener([&context](const QString& path) { context.openDocument(path); });
    view->setActivationKeys({Qt::Key_Return, Qt::Key_Enter});
    return view;
  };
  m_ole2 = PlaceNamed(document(DocumentView::Look::Thumbnail), "OLE2", 5640, 960, 1695, 1215);
  m_image1 = MakeIcon("Image1", QStringLiteral(":/archive/chart.png"), this);
  PlaceTwips(m_image1, 6240, 960, 480, 480);

  m_ole1 = PlaceNamed(document(DocumentView::Look::FileName), "OLE1", 5640, 4320, 1815, 855);
  m_image2 = MakeIcon("Image2", QStringLiteral(":/archive/cabinet.png"), this);
  PlaceTwips(m_image2, 6360, 4320, 480, 480);

  setTabOrder(m_command1, m_list1);
  setTabOrder(m_list1, m_ole1);
  setTabOrder(m_ole1, m_ole2);
  m_command1->setFocus();

  // Load: the built-in entries, then the archive's records in file order.
  QStringList entries = builtInEntries();
  entries += ReadArchiveFile(DataFilePath(QString::fromUtf8(kArchiveFileName)));
  m_list1->addItems(entries);

  CenterOnScreen(this);
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
  const QList<QListWidgetItem*> chosen = m_list1->selectedItems();
  const QString s = chosen.isEmpty() ? QString() : chosen.front()->text();
  close();  // unloaded; destroyed once the event loop runs
  emit selected(s);
}

void ArchivioWindow::closeEvent(QCloseEvent* event) {
  m_unloaded = true;
  event->accept();
}

}  // namespace curvalis
