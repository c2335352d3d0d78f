#include "ui/about/about_window.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <functional>

#include "ui/about/help_window.h"
#include "ui/about/version.h"

namespace curvalis {

namespace {

// The layout is given in twips: 15 twips make one pixel at 96 dots per inch.
QRect Twips(int left, int top, int width, int height) {
  return QRect(left / 15, top / 15, width / 15, height / 15);
}

constexpr int kAboutWidth = 5730 / 15;   // 382
constexpr int kAboutHeight = 3480 / 15;  // 232
const QColor kPurple(128, 0, 128);

// OLE1: the package that carries the help, shown as the help's icon with its name under it.
// A double click activates it; so do Space and F1 while it has the focus.
class PackageIcon : public QWidget {
 public:
  PackageIcon(QWidget* parent, std::function<void()> onActivate)
      : QWidget(parent), onActivate_(std::move(onActivate)) {
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(QStringLiteral("Doppio clic per aprire la guida"));
    setCursor(Qt::PointingHandCursor);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const int iconSize = 32;
    QIcon icon = style()->standardIcon(QStyle::SP_DialogHelpButton, nullptr, this);
    QRect iconRect((width() - iconSize) / 2, 2, iconSize, iconSize);
    icon.paint(&painter, iconRect);
    QRect textRect(0, iconRect.bottom() + 3, width(), height() - iconRect.bottom() - 3);
    QString caption = QStringLiteral("Guida");
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop, caption);
    if (hasFocus()) {
      QRect focus = painter.fontMetrics().boundingRect(textRect, Qt::AlignHCenter, caption);
      painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
      painter.drawRect(focus.adjusted(-2, 0, 1, 0));
    }
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) onActivate_();
  }
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_F1) {
      onActivate_();
      return;
    }
    QWidget::keyPressEvent(event);
  }

 private:
  std::function<void()> onActivate_;
};

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
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }

  // Load.
  setWindowTitle(QStringLiteral("Informazioni su ") + ApplicationTitle());
  findChild<QLabel*>(QStringLiteral("lblVersion"))->setText(VersionLine());
  findChild<QLabel*>(QStringLiteral("lblTitle"))->setText(ApplicationTitle());
}

AboutWindow::~AboutWindow() = default;

void AboutWindow::createControls() {
  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("picIcon"));
  icon->setGeometry(Twips(240, 240, 540, 540));
  icon->setAlignment(Qt::AlignCenter);
  icon->setPixmap(ProgramIcon().pixmap(QSize(32, 32), devicePixelRatio()));

  QFont body = font();
  body.setPixelSize(12);
  QLabel* title = AddLabel(this, "lblTitle", Twips(1050, 240, 3885, 480));
  QFont titleFont = body;
  titleFont.setPixelSize(20);
  titleFont.setBold(true);
  title->setFont(titleFont);
  QLabel* version = AddLabel(this, "lblVersion", Twips(1050, 780, 3885, 225));
  version->setFont(body);
  QLabel* description = AddLabel(this, "lblDescription", Twips(960, 1320, 2565, 690));
  description->setFont(body);
  description->setWordWrap(true);
  description->setText(
      QStringLiteral("Studio di funzione: grafico, derivata, zeri, estremi, flessi e asintoti."));

  auto* package = new PackageIcon(this, [this] { openHelp(); });
  package->setObjectName(QStringLiteral("OLE1"));
  package->setGeometry(Twips(960, 2520, 1455, 855));
  package->setFont(body);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("cmdOK"));
  ok->setGeometry(Twips(3960, 2760, 1260, 345));
  // The default button (Enter) and the cancel button (Esc, through reject) both close.
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  ok->setFocus();
}

void AboutWindow::openHelp() {
  // The help lives beside the main window: it stays open when this window closes.
  HelpWindow::open(parentWidget() ? parentWidget()->window() : nullptr);
}

void AboutWindow::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  // Line1: a white line of width 2 under a grey one at y = 2400 twips, an etched groove
  // that separates the title from the package and the button.
  QPainter painter(this);
  const int y = 2400 / 15;
  painter.fillRect(QRect(QPoint(105 / 15, y), QPoint(5654 / 15, y + 1)), Qt::white);
  painter.fillRect(QRect(QPoint(0, y), QPoint(5640 / 15, y)), QColor(128, 128, 128));
}

}  // namespace curvalis
