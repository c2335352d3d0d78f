#include "ui/main/tervano.h"

#include "ui/about/version.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <cstdlib>

namespace curvalis {

// Paints the controls on the drawing with the background the commands set on the window.
class Tervano::BackgroundSink : public SurfaceSink {
 public:
  explicit BackgroundSink(Tervano& window) : window_(window) {}
  void OnBackground(Rgb color) override { window_.applyBackground(color); }
  void OnClear() override {}
  void OnScale(const Scale&) override {}
  void OnLine(float, float, float, float, Rgb, int) override {}
  void OnPoint(float, float, Rgb, int) override {}
  void OnPrint(float, float, Rgb, const std::vector<PrintRun>&, const std::string&) override {}

 private:
  Tervano& window_;
};

Tervano::Tervano(QWidget* parent)
    : QMainWindow(parent), m_surface("main", kClientWidth, kClientHeight), m_host(this) {
  setObjectName(QStringLiteral("Tervano"));
  setWindowTitle(QStringLiteral("Curvalis"));
  setWindowIcon(ProgramIcon());

  m_canvas = new Canvas(kClientWidth, kClientHeight, this);
  setCentralWidget(m_canvas);
  m_surface.AddSink(&m_canvas->sink());
  m_backgroundSink = std::make_unique<BackgroundSink>(*this);
  m_surface.AddSink(m_backgroundSink.get());
  AppContext::instance().attachTrace(m_surface);

  createControls();
  createActions();
  createMenus();
  connect(m_canvas, &Canvas::wheelZoom, this, [this](bool in) { in ? mZoompiu() : mZoommeno(); });
  connect(m_funzione, &QLineEdit::returnPressed, this, &Tervano::mGrafico);

  // Fixed size around the 632 x 434 client area, centred on the screen.
  adjustSize();
  setFixedSize(sizeHint());
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }

  // Load.
  m_commands = std::make_unique<MainCommands>(m_surface, m_host, [this] { return funzioneText(); });
  m_commands->Load();
}

Tervano::~Tervano() = default;

void Tervano::createControls() {
  auto place = [this](QWidget* w, int left, int top, int width, int height) {
    w->setParent(m_canvas);
    w->setGeometry(left / 15, top / 15, width / 15, height / 15);
  };
  m_funzione = new QLineEdit;
  m_funzione->setObjectName(QStringLiteral("Funzione"));
  m_funzione->setFrame(true);
  m_funzione->setTextMargins(0, 0, 0, 0);
  place(m_funzione, 720, 5880, 1815, 255);
  m_label1 = new QLabel(QStringLiteral("f(x)="));
  m_label1->setObjectName(QStringLiteral("Label1"));
  place(m_label1, 360, 5880, 375, 255);
  m_label2 = new QLabel(QStringLiteral("x"));
  m_label2->setObjectName(QStringLiteral("Label2"));
  place(m_label2, 9240, 3000, 135, 255);
  m_label3 = new QLabel(QStringLiteral("f(x)"));
  m_label3->setObjectName(QStringLiteral("Label3"));
  place(m_label3, 4800, 0, 255, 255);
  // The controls take the classic 8-point sans-serif of the platform's dialogs; a label
  // whose text is wider than its place grows to the right so the text is never cut.
  QFont controls(QStringLiteral("Liberation Sans"));
  controls.setStyleHint(QFont::SansSerif);
  controls.setPixelSize(11);
  m_funzione->setFont(controls);
  for (QLabel* l : {m_label1, m_label2, m_label3}) {
    l->setFont(controls);
    l->setAutoFillBackground(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    int needed = l->fontMetrics().horizontalAdvance(l->text()) + 1;
    if (needed > l->width()) l->resize(needed, l->height());
  }
  m_funzione->setFocus();
  applyBackground(kLightGrey);
}

void Tervano::applyBackground(Rgb color) {
  QColor c(color.r, color.g, color.b);
  for (QWidget* w : {static_cast<QWidget*>(m_label1), static_cast<QWidget*>(m_label2),
                     static_cast<QWidget*>(m_label3), static_cast<QWidget*>(m_funzione)}) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, c);
    pal.setColor(QPalette::Base, c);
    w->setPalette(pal);
  }
}

std::string Tervano::funzioneText() const {
  return m_funzione->text().toStdString();
}

QAction* Tervano::addItem(QMenu* menu, const QString& name, const QString& caption,
                          void (Tervano::*slot)(), const QKeySequence& shortcut) {
  auto* a = new QAction(caption, this);
  a->setObjectName(name);
  if (!shortcut.isEmpty()) {
    a->setShortcut(shortcut);
    a->setShortcutContext(Qt::WindowShortcut);  // also while the focus is in Funzione
  }
  if (slot) connect(a, &QAction::triggered, this, slot);
  menu->addAction(a);
  m_actions.insert(name, a);
  return a;
}

void Tervano::createActions() {}

void Tervano::createMenus() {
  QMenuBar* bar = menuBar();
  QMenu* file = bar->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("mFile"));
  addItem(file, "mApri", "Apri funzione", &Tervano::mApri);
  file->addSeparator();
  addItem(file, "mSalvaF", "Salva funzione", &Tervano::mSalvaF);
  addItem(file, "mSalva", "Salva grafico", &Tervano::mSalva);
  addItem(file, "mSalvaT", "Salva tutto", &Tervano::mSalvaT);
  file->addSeparator();
  addItem(file, "mStampa", "Stampa grafico", &Tervano::mStampa);
  addItem(file, "mStampaT", "Stampa tutto", &Tervano::mStampaT);
  file->addSeparator();
  addItem(file, "mEsci", "Esci", &Tervano::mEsci);

  QMenu* scala = bar->addMenu(QStringLiteral("[&Xmin, Xmax]"));
  scala->setObjectName(QStringLiteral("mScala"));
  static const char* kCaptions[] = {"[-0.3,0.3]", "[-0.6,0.6]", "[-1.2,1.2]", "[-1.8,1.8]",
                                    "[-2.4,2.4]", "[-3,3]",     "[-6,6]",     "[-12,12]",
                                    "[-18,18]",   "[-24,24]",   "[-30,30]"};
  for (int i = 1; i <= 11; ++i) {
    QAction* a = addItem(scala, QStringLiteral("m%1").arg(i), kCaptions[i - 1], nullptr);
    connect(a, &QAction::triggered, this, [this, i] { preset(i); });
  }

  QMenu* zoom = bar->addMenu(QStringLiteral("&Zoom"));
  zoom->setObjectName(QStringLiteral("mZoom"));
  addItem(zoom, "mZoommeno", "0.5x", &Tervano::mZoommeno, QKeySequence(Qt::Key_F5));
  addItem(zoom, "mZoompiu", "2x", &Tervano::mZoompiu, QKeySequence(Qt::Key_F6));

  QMenu* tras = bar->addMenu(QStringLiteral("&Traslazione"));
  tras->setObjectName(QStringLiteral("mTraslazione"));
  addItem(tras, "mSinistra", "A sinistra", &Tervano::mSinistra, QKeySequence(Qt::Key_F1));
  addItem(tras, "mDestra", "A destra", &Tervano::mDestra, QKeySequence(Qt::Key_F2));
  addItem(tras, "mBasso", "Verso il basso", &Tervano::mBasso, QKeySequence(Qt::Key_F3));
  addItem(tras, "mAlto", "Verso l'alto", &Tervano::mAlto, QKeySequence(Qt::Key_F4));

  QMenu* calc = bar->addMenu(QStringLiteral("&Calcola"));
  calc->setObjectName(QStringLiteral("mCalcola"));
  addItem(calc, "mGrafico", "Grafico", &Tervano::mGrafico);
  calc->addSeparator();
  addItem(calc, "mDominio", "Dominio", &Tervano::mDominio);
  addItem(calc, "mDerivata", "Derivata", &Tervano::mDerivata);
  calc->addSeparator();
  addItem(calc, "mZeri", "Zeri", &Tervano::mZeri);
  addItem(calc, "mMinimi", "Minimi", &Tervano::mMinimi);
  addItem(calc, "mMassimi", "Massimi", &Tervano::mMassimi);
  addItem(calc, "mFlessi", "Flessi", &Tervano::mFlessi);
  calc->addSeparator();
  QMenu* asint = calc->addMenu(QStringLiteral("Asintoti"));
  asint->setObjectName(QStringLiteral("mAsintoti"));
  addItem(asint, "mObliquiP", "Obliqui\\Orizz.(+Infinito)", &Tervano::mObliquiP);
  addItem(asint, "mObliquiM", "Obliqui\\Orizz.(- Infinito)", &Tervano::mObliquiM);
  addItem(asint, "mVerticali", "Verticali", &Tervano::mVerticali);
  addItem(calc, "mTangente", "Tangente nei flessi", &Tervano::mTangente);
  calc->addSeparator();
  addItem(calc, "mStudio", "Studio rapido", &Tervano::mStudio);
  calc->addSeparator();
  addItem(calc, "mValore", "Valore", &Tervano::mValore);
  calc->addSeparator();
  addItem(calc, "mIntegrale", "Integrale", &Tervano::mIntegrale);

  // "&Aiuto" is a plain item of the menu bar, with no submenu.
  auto* aiuto = new QAction(QStringLiteral("&Aiuto"), this);
  aiuto->setObjectName(QStringLiteral("mInformazioni"));
  connect(aiuto, &QAction::triggered, this, &Tervano::mInformazioni);
  bar->addAction(aiuto);
  m_actions.insert(QStringLiteral("mInformazioni"), aiuto);
}

QAction* Tervano::action(const QString& name) const {
  return m_actions.value(name, nullptr);
}

void Tervano::quitAtOnce() {
  // "Esci": no unload handler of any window runs.
  std::fflush(nullptr);
  std::_Exit(0);
}

void Tervano::mEsci() {
  quitAtOnce();
}

void Tervano::closeEvent(QCloseEvent* event) {
  // Unload: the main window quits its own server; the other windows stay.
  m_commands->Unload();
  event->accept();
}

void Tervano::preset(int index) {
  m_commands->Preset(index);
}
void Tervano::mZoommeno() {
  m_commands->mZoommeno();
}
void Tervano::mZoompiu() {
  m_commands->mZoompiu();
}
void Tervano::mSinistra() {
  m_commands->mSinistra();
}
void Tervano::mDestra() {
  m_commands->mDestra();
}
void Tervano::mBasso() {
  m_commands->mBasso();
}
void Tervano::mAlto() {
  m_commands->mAlto();
}
void Tervano::mGrafico() {
  m_commands->mGrafico();
}
void Tervano::mDominio() {
  m_commands->mDominio();
}
void Tervano::mDerivata() {
  m_commands->mDerivata();
}
void Tervano::mZeri() {
  m_commands->mZeri();
}
void Tervano::mMinimi() {
  m_commands->mMinimi();
}
void Tervano::mMassimi() {
  m_commands->mMassimi();
}
void Tervano::mFlessi() {
  m_commands->mFlessi();
}
void Tervano::mObliquiP() {
  m_commands->mObliquiP();
}
void Tervano::mObliquiM() {
  m_commands->mObliquiM();
}
void Tervano::mVerticali() {
  m_commands->mVerticali();
}
void Tervano::mTangente() {
  m_commands->mTangente();
}
void Tervano::mStudio() {
  m_commands->mStudio();
}

}  // namespace curvalis
