#include "ui/about/splash_window.h"

#include <qdrawutil.h>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSysInfo>
#include <algorithm>
#include <functional>

#include "ui/about/version.h"
#include "ui/common/layout.h"

namespace curvalis {

namespace {

constexpr int kSplashWidth = Twips(7380);   // 492
constexpr int kSplashHeight = Twips(4245);  // 283
constexpr int kBorder = 2;                  // the fixed dialog border around the client area

const QColor kSplashGrey(192, 192, 192);
const QColor kNavy(0, 0, 128);
const QColor kDarkGrey(64, 64, 64);

// "Arial" at a size in pixels. The point sizes of the layout (32.25, 15.75, 12 and 11.25 pt)
// are whole pixels at 96 dots per inch; holding the font in pixels keeps the text in
// proportion to the twip layout whatever the screen's font resolution. Liberation Sans has
// Arial's metrics; the other names are the fall-backs of systems without it.
QFont ArialFont(int pixelSize, bool bold) {
  QFont font;
  font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

// Frame1: a click on the frame itself (not on the labels or the logo inside it) dismisses
// the splash. A click is a left press and a left release over the frame.
class SplashFrame : public QFrame {
 public:
  SplashFrame(QWidget* parent, std::function<void()> onClick)
      : QFrame(parent), m_onClick(std::move(onClick)) {}

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    bool click = m_pressed && event->button() == Qt::LeftButton &&
                 rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click) m_onClick();
  }

 private:
  std::function<void()> m_onClick;
  bool m_pressed = false;
};

QLabel* AddLabel(QWidget* frame, const char* name, const QRect& place, const QFont& font,
                 const QColor& color) {
  auto* label = new QLabel(frame);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(place);
  label->setFont(font);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, color);
  label->setPalette(pal);
  // A click on a label is no click on the frame: it must not reach Frame1.
  label->setAttribute(Qt::WA_NoMousePropagation);
  return label;
}

}  // namespace

int FittingPixelSize(const QFont& font, const QString& text, int width, int pixelSize,
                     int minPixelSize) {
  // A text's width grows with the pixel size: one measure gives the estimate, and only a few
  // neighbouring sizes are measured (each size loads a font engine, which is slow at start-up).
  QFont f = font;
  f.setPixelSize(pixelSize);
  int measured = QFontMetrics(f).horizontalAdvance(text);
  if (measured <= width) return pixelSize;
  int size = std::clamp(pixelSize * width / std::max(measured, 1), minPixelSize, pixelSize);
  for (; size > minPixelSize; --size) {
    f.setPixelSize(size);
    if (QFontMetrics(f).horizontalAdvance(text) <= width) return size;
  }
  return minPixelSize;
}

SplashWindow::SplashWindow(QWidget& main, QWidget* parent)
    : QWidget(parent ? parent : &main, Qt::Tool | Qt::FramelessWindowHint), m_main(main) {
  setObjectName(QStringLiteral("frmSplash"));
  setWindowTitle(ApplicationTitle());
  setWindowIcon(ProgramIcon());
  setPalette(QPalette(kSplashGrey));
  setAutoFillBackground(true);
  setFixedSize(kSplashWidth + 2 * kBorder, kSplashHeight + 2 * kBorder);
  // The window sees every key press: no control inside takes the focus.
  setFocusPolicy(Qt::StrongFocus);
  createControls();
  CenterOnScreen(this);

  // Load, in this order: the version line, the product name, the main window shown.
  findChild<QLabel*>(QStringLiteral("lblVersion"))->setText(VersionLine());
  findChild<QLabel*>(QStringLiteral("lblProductName"))->setText(ApplicationTitle());
  m_main.show();
}

SplashWindow::~SplashWindow() = default;

void SplashWindow::createControls() {
  auto* client = new QWidget(this);
  client->setGeometry(kBorder, kBorder, kSplashWidth, kSplashHeight);

  auto* frame =
      PlaceNamed(new SplashFrame(client, [this] { dismiss(); }), "Frame1", 150, 60, 7080, 4050);
  frame->setFrameStyle(QFrame::Box | QFrame::Sunken);  // the etched edge of a frame

  auto* logo = PlaceNamed(new QLabel(frame), "imgLogo", 240, 1560, 1695, 1545);
  logo->setPixmap(QPixmap(QStringLiteral(":/icons/curvalis.png")));
  logo->setScaledContents(true);  // stretched to the image's box
  logo->setAttribute(Qt::WA_NoMousePropagation);

  AddLabel(frame, "lblProductName", TwipsRect(720, 720, 5055, 765), ArialFont(43, true), kNavy);

  // The platform line names the running system. Its label runs past the frame's inner
  // edge, so the text is fitted to the part of the label that shows.
  QRect platformPlace = TwipsRect(3120, 2340, 4080, 360);
  QLabel* platform = AddLabel(frame, "lblPlatform", platformPlace, ArialFont(21, true), kNavy);
  QString system = QSysInfo::prettyProductName();
  int visible =
      std::min(platformPlace.width(), frame->contentsRect().right() + 1 - platformPlace.left());
  QFont platformFont = platform->font();
  platformFont.setPixelSize(FittingPixelSize(platformFont, system, visible, 21, 12));
  platform->setFont(platformFont);
  platform->setText(QFontMetrics(platformFont).elidedText(system, Qt::ElideRight, visible));
  platform->setToolTip(system);

  AddLabel(frame, "lblVersion", TwipsRect(3120, 2700, 3060, 255), ArialFont(16, true), kNavy);
  QLabel* notice = AddLabel(frame, "lblNotice", TwipsRect(360, 3600, 3855, 285),
                            ArialFont(15, false), kDarkGrey);
  notice->setText(QStringLiteral("Premi un tasto per continuare"));
}

void SplashWindow::dismiss() {
  if (m_dismissed) return;
  m_dismissed = true;
  close();
  // The main window is already shown: this brings it forward.
  m_main.show();
  m_main.raise();
  m_main.activateWindow();
}

bool SplashWindow::event(QEvent* event) {
  // Every key belongs to the splash while it is up: the main window's shortcuts (F1 to F6
  // move and zoom the view) must not act behind it.
  if (event->type() == QEvent::ShortcutOverride) {
    event->accept();
    return true;
  }
  return QWidget::event(event);
}

void SplashWindow::keyPressEvent(QKeyEvent* event) {
  // Any key that produces a character; Shift, Ctrl or an arrow alone do not.
  if (!event->text().isEmpty()) {
    event->accept();
    dismiss();
    return;
  }
  QWidget::keyPressEvent(event);
}

void SplashWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  qDrawWinPanel(&painter, rect(), palette(), false);  // the raised dialog border
}

void SplashWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  raise();
  activateWindow();
  setFocus(Qt::ActiveWindowFocusReason);
}

}  // namespace curvalis
