#include "ui/about/about_window.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

#include "ui/about/version.h"
#include "ui/common/document_view.h"
#include "ui/common/layout.h"

namespace curvalis {

namespace {

constexpr int kAboutWidth = Twips(5730);   // 382
constexpr int kAboutHeight = Twips(3480);  // 232
const QColor kPurple(128, 0, 128);

QLabel* AddLabel(QWidget* parent, const char* name, const QRect& place) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(place);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, kPurple);
  label->setPalette(pal);
  return label;
}

}  // namespace

AboutWindow::AboutWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("frmAbout"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowIcon(ProgramIcon());
  setFixedSize(kAboutWidth, kAboutHeight);
  createControls();
  CenterOnScreen(this);

  // Load.
  setWindowTitle(QStringLiteral("Informazioni su ") + ApplicationTitle());
  findChild<QLabel*>(QStringLiteral("lblVersion"))->setText(VersionLine());
  findChild<QLabel*>(QStringLiteral("lblTitle"))->setText(ApplicationTitle());
}

AboutWindow::~AboutWindow() = default;

void AboutWindow::createControls() {
  auto* icon = PlaceNamed(new QLabel(this), "picIcon", 240, 240, 540, 540);
  icon->setAlignment(Qt::AlignCenter);
  icon->setPixmap(ProgramIcon().pixmap(QSize(32, 32), devicePixelRatio()));

  QFont body = font();
  body.setPixelSize(12);
  QLabel* title = AddLabel(this, "lblTitle", TwipsRect(1050, 240, 3885, 480));
  QFont titleFont = body;
  titleFont.setPixelSize(20);
  titleFont.setBold(true);
  title->setFont(titleFont);
  QLabel* version = AddLabel(this, "lblVersion", TwipsRect(1050, 780, 3885, 225));
  version->setFont(body);
  QLabel* description = AddLabel(this, "lblDescription", TwipsRect(960, 1320, 2565, 690));
  description->setFont(body);
  description->setWordWrap(true);
  description->setText(
      QStringLiteral("Studio di funzione: grafico, derivata, zeri, estremi, flessi e asintoti."));

  // OLE1: the package that carries the help, shown as the help's icon with its name under
  // it. A double click activates it; so do Space and F1 while it has the focus.
  auto* package =
      PlaceNamed(new DocumentView(DocumentView::Look::Package, this), "OLE1", 960, 2520, 1455, 855);
  package->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton, nullptr, package),
                   QStringLiteral("Guida"));
  package->setToolTip(QStringLiteral("Doppio clic per aprire la guida"));
  package->setAction([this] { emit helpRequested(); });
  package->setActivationKeys({Qt::Key_Space, Qt::Key_F1});
  package->setFont(body);

  auto* ok =
      PlaceNamed(new QPushButton(QStringLiteral("OK"), this), "cmdOK", 3960, 2760, 1260, 345);
  // The default button (Enter) and the cancel button (Esc, through reject) both close.
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  ok->setFocus();
}

void AboutWindow::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  // Line1: a white line of width 2 under a grey one at y = 2400 twips, an etched groove
  // that separates the title from the package and the button.
  QPainter painter(this);
  const int y = Twips(2400);
  painter.fillRect(QRect(QPoint(Twips(105), y), QPoint(Twips(5654), y + 1)), Qt::white);
  painter.fillRect(QRect(QPoint(0, y), QPoint(Twips(5640), y)), QColor(128, 128, 128));
}

}  // namespace curvalis
