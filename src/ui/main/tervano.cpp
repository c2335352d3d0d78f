#include "ui/main/tervano.h"

#include "analysis/analyses.h"
#include "ui/about/version.h"
#include "ui/common/layout.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <cmath>
#include <cstdlib>

namespace curvalis {
namespace {

// The controls' font at the drawing's own size, in pixels.
constexpr int kControlsFontPx = 11;

}  // namespace

// Paints the controls on the drawing with the background the commands set on the window.
class Tervano::BackgroundSink : public SurfaceSink {
 public:
  explicit BackgroundSink(Tervano& window) : m_window(window) {}
  void OnBackground(Rgb color) override { m_window.applyBackground(color); }
  void OnClear() override {}
  void OnScale(const Scale&) override {}
  void OnLine(float, float, float, float, Rgb, int) override {}
  void OnPoint(float, float, Rgb, int) override {}
  void OnPrint(float, float, Rgb, const std::vector<PrintRun>&, const std::string&) override {}

 private:
  Tervano& m_window;
};

Tervano::Tervano(AppContext& context, QWidget* parent)
    : QMainWindow(parent),
      m_context(context),
      m_surface("main", kClientWidth, kClientHeight),
      m_host(this, context) {
  setObjectName(QStringLiteral("Tervano"));
  setWindowTitle(QStringLiteral("Curvalis"));
  setWindowIcon(ProgramIcon());

  m_canvas = new SurfaceView(kClientWidth, kClientHeight, kLightGrey, this);
  setCentralWidget(m_canvas);
  m_canvas->attach(m_surface);
  m_backgroundSink = std::make_unique<BackgroundSink>(*this);
  m_surface.AddSink(m_backgroundSink.get());
  m_context.attachTrace(m_surface);

  m_commands = std::make_unique<MainCommands>(m_surface, m_host, [this] { return funzioneText(); });
  createControls();
  createMenus();
  createPointer();
  connect(m_canvas, &SurfaceView::wheelZoom, this,
          [this](bool in) { in ? m_commands->mZoompiu() : m_commands->mZoommeno(); });
  connect(m_formula, &QLineEdit::returnPressed, this, [this] { m_commands->Run(Cmd::mGrafico); });

  // Around the 632 x 434 drawing at first, centred on the screen; the window can grow (the
  // drawing grows with it) but never gets smaller than that. The drawing is laid out at its
  // own size before it may grow, so a window not yet shown has it at that size too.
  adjustSize();
  const QSize own = sizeHint();
  m_canvas->setScalable();
  connect(m_canvas, &SurfaceView::drawingPlaced, this, &Tervano::placeControls);
  setMinimumSize(own);
  resize(own);
  CenterOnScreen(this);

  // Load.
  m_commands->Load();
}

Tervano::~Tervano() = default;

void Tervano::createControls() {
  auto place = [this](QWidget* w, const char* name, int left, int top, int width, int height) {
    w->setObjectName(QLatin1String(name));
    w->setParent(m_canvas);
    m_placed.push_back({w, TwipsRect(left, top, width, height)});
  };
  m_formula = new QLineEdit;
  m_formula->setFrame(true);
  m_formula->setTextMargins(0, 0, 0, 0);
  place(m_formula, CommandName(Cmd::Funzione).data(), 720, 5880, 1815, 255);
  m_prompt = new QLabel(QStringLiteral("f(x)="));
  place(m_prompt, "Label1", 360, 5880, 375, 255);
  m_xName = new QLabel(QStringLiteral("x"));
  place(m_xName, "Label2", 9240, 3000, 135, 255);
  m_yName = new QLabel(QStringLiteral("f(x)"));
  place(m_yName, "Label3", 4800, 0, 255, 255);
  // The controls take the classic 8-point sans-serif of the platform's dialogs; a label
  // whose text is wider than its place grows to the right so the text is never cut.
  m_controlsFont = QFont(QStringLiteral("Liberation Sans"));
  m_controlsFont.setStyleHint(QFont::SansSerif);
  m_controlsFont.setPixelSize(kControlsFontPx);
  const QFontMetrics metrics(m_controlsFont);
  for (Placed& p : m_placed) {
    auto* l = qobject_cast<QLabel*>(p.widget);
    if (!l) continue;
    l->setAutoFillBackground(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const int needed = metrics.horizontalAdvance(l->text()) + 1;
    if (needed > p.logical.width()) p.logical.setWidth(needed);
  }
  placeControls();
  m_formula->setFocus();
  applyBackground(kLightGrey);
}

void Tervano::placeControls() {
  const qreal scale = m_canvas->drawingScale();
  QFont font = m_controlsFont;
  if (scale != 1) font.setPixelSize(int(std::lround(kControlsFontPx * scale)));
  for (const Placed& p : m_placed) {
    const QPointF topLeft = m_canvas->toWidget(p.logical.topLeft());
    const QPointF bottomRight =
        m_canvas->toWidget(p.logical.topLeft() + QPointF(p.logical.width(), p.logical.height()));
    QRect r(QPoint(int(std::lround(topLeft.x())), int(std::lround(topLeft.y()))),
            QPoint(int(std::lround(bottomRight.x())) - 1, int(std::lround(bottomRight.y())) - 1));
    p.widget->setFont(font);
    if (auto* l = qobject_cast<QLabel*>(p.widget)) {
      // The scaled font may round wider than the scaled place: the text is never cut.
      const int needed = QFontMetrics(font).horizontalAdvance(l->text()) + 1;
      if (needed > r.width()) r.setWidth(needed);
    }
    p.widget->setGeometry(r);
  }
}

QRect Tervano::logicalGeometry(const QWidget* control) const {
  for (const Placed& p : m_placed) {
    if (p.widget == control) return p.logical;
  }
  return control->geometry();
}

void Tervano::applyBackground(Rgb color) {
  QColor c(color.r, color.g, color.b);
  for (QWidget* w : {static_cast<QWidget*>(m_prompt), static_cast<QWidget*>(m_xName),
                     static_cast<QWidget*>(m_yName), static_cast<QWidget*>(m_formula)}) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, c);
    pal.setColor(QPalette::Base, c);
    w->setPalette(pal);
  }
}

void Tervano::createMenus() {
  struct MenuTitle {
    Menu menu;
    const char* caption;
    const char* name;
  };
  static constexpr MenuTitle kMenus[] = {{Menu::File, "&File", "mFile"},
                                         {Menu::Scala, "[&Xmin, Xmax]", "mScala"},
                                         {Menu::Zoom, "&Zoom", "mZoom"},
                                         {Menu::Traslazione, "&Traslazione", "mTraslazione"},
                                         {Menu::Calcola, "&Calcola", "mCalcola"}};
  QMenuBar* bar = menuBar();
  QMap<Menu, QMenu*> menus;
  for (const MenuTitle& m : kMenus) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(m.caption));
    menu->setObjectName(QString::fromLatin1(m.name));
    menus.insert(m.menu, menu);
  }
  for (const CommandInfo& c : kCommands) {
    if (c.menu == Menu::None) continue;
    auto* a = new QAction(QString::fromUtf8(c.caption), this);
    a->setObjectName(QString::fromUtf8(c.name));
    if (!c.shortcut.empty()) {
      a->setShortcut(QKeySequence(QString::fromUtf8(c.shortcut), QKeySequence::PortableText));
      a->setShortcutContext(Qt::WindowShortcut);  // also while the focus is in Funzione
    }
    connect(a, &QAction::triggered, this, [this, id = c.id] { RunCommand(*this, id); });
    if (c.menu == Menu::MenuBar) {
      // "&Aiuto" is a plain item of the menu bar, with no submenu.
      bar->addAction(a);
      continue;
    }
    if (c.menu == Menu::Asintoti && !menus.contains(Menu::Asintoti)) {
      QMenu* calcola = menus.value(Menu::Calcola);
      if (c.separatorBefore) calcola->addSeparator();
      QMenu* asintoti = calcola->addMenu(QStringLiteral("Asintoti"));
      asintoti->setObjectName(QStringLiteral("mAsintoti"));
      menus.insert(Menu::Asintoti, asintoti);
    } else if (c.separatorBefore) {
      menus.value(c.menu)->addSeparator();
    }
    menus.value(c.menu)->addAction(a);
  }
}

QAction* Tervano::action(const QString& name) const {
  return findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
}

void Tervano::quitAtOnce() {
  // "Esci": no unload handler of any window runs; the main window's size is kept.
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* main = qobject_cast<Tervano*>(w); main && main->isVisible()) main->saveWindowState();
  }
  std::fflush(nullptr);
  std::_Exit(0);
}

void Tervano::closeEvent(QCloseEvent* event) {
  // Unload: the main window quits its own server; the other windows stay.
  if (!m_context.batch() && m_savesWindowState) saveWindowState();
  m_commands->Unload();
  event->accept();
}

}  // namespace curvalis
