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
#include <QStyle>
#include <cstdlib>

namespace curvalis {

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

  // Fixed size around the 632 x 434 client area, centred on the screen.
  adjustSize();
  setFixedSize(sizeHint());
  CenterOnScreen(this);

  // Load.
  m_commands->Load();
}

Tervano::~Tervano() = default;

void Tervano::createControls() {
  auto place = [this](QWidget* w, int left, int top, int width, int height) {
    w->setParent(m_canvas);
    PlaceTwips(w, left, top, width, height);
  };
  m_formula = new QLineEdit;
  m_formula->setObjectName(QString::fromLatin1(CommandName(Cmd::Funzione).data()));
  m_formula->setFrame(true);
  m_formula->setTextMargins(0, 0, 0, 0);
  place(m_formula, 720, 5880, 1815, 255);
  m_prompt = new QLabel(QStringLiteral("f(x)="));
  m_prompt->setObjectName(QStringLiteral("Label1"));
  place(m_prompt, 360, 5880, 375, 255);
  m_xName = new QLabel(QStringLiteral("x"));
  m_xName->setObjectName(QStringLiteral("Label2"));
  place(m_xName, 9240, 3000, 135, 255);
  m_yName = new QLabel(QStringLiteral("f(x)"));
  m_yName->setObjectName(QStringLiteral("Label3"));
  place(m_yName, 4800, 0, 255, 255);
  // The controls take the classic 8-point sans-serif of the platform's dialogs; a label
  // whose text is wider than its place grows to the right so the text is never cut.
  QFont controls(QStringLiteral("Liberation Sans"));
  controls.setStyleHint(QFont::SansSerif);
  controls.setPixelSize(11);
  m_formula->setFont(controls);
  for (QLabel* l : {m_prompt, m_xName, m_yName}) {
    l->setFont(controls);
    l->setAutoFillBackground(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    int needed = l->fontMetrics().horizontalAdvance(l->text()) + 1;
    if (needed > l->width()) l->resize(needed, l->height());
  }
  m_formula->setFocus();
  applyBackground(kLightGrey);
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

std::string Tervano::funzioneText() const {
  return m_formula->text().toStdString();
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
  auto text = [](std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); };
  for (const CommandInfo& c : kCommands) {
    if (c.menu == Menu::None) continue;
    auto* a = new QAction(text(c.caption), this);
    a->setObjectName(text(c.name));
    if (!c.shortcut.empty()) {
      a->setShortcut(QKeySequence(text(c.shortcut), QKeySequence::PortableText));
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
  // "Esci": no unload handler of any window runs.
  std::fflush(nullptr);
  std::_Exit(0);
}

void Tervano::closeEvent(QCloseEvent* event) {
  // Unload: the main window quits its own server; the other windows stay.
  m_commands->Unload();
  event->accept();
}

}  // namespace curvalis
