#include "ui/tools/integrale_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <optional>

#include "io/data_folder.h"
#include "session/integral.h"
#include "session/main_commands.h"
#include "ui/common/document_view.h"
#include "ui/common/layout.h"
#include "ui/common/surface_view.h"
#include "ui/tools/tool_layout.h"

namespace curvalis {
namespace {

// A text box with the button face as its background.
void ButtonFace(QLineEdit* edit) {
  QPalette pal = edit->palette();
  pal.setColor(QPalette::Base, pal.color(QPalette::Button));
  edit->setPalette(pal);
}

// Progress of a long integral in a window that shows itself only after half a second; its
// cancel button stops the computation.
class ProgressWindow {
 public:
  explicit ProgressWindow(QWidget* parent)
      : m_dialog(QStringLiteral("Calcolo dell'integrale..."), QStringLiteral("Annulla"), 0, kSteps,
                 parent) {
    m_dialog.setWindowTitle(QStringLiteral("Curvalis"));
    m_dialog.setWindowModality(Qt::ApplicationModal);
    m_dialog.setMinimumDuration(500);
    m_dialog.setAutoClose(false);
    m_dialog.setAutoReset(false);
    m_dialog.setValue(0);
    m_progress.report = [this](double done) { m_dialog.setValue(int(done * kSteps)); };
    m_progress.keepGoing = [this] { return !m_dialog.wasCanceled(); };
  }
  const Progress* progress() const { return &m_progress; }

 private:
  static constexpr int kSteps = 1000;
  QProgressDialog m_dialog;
  Progress m_progress;
};

}  // namespace

IntegraleWindow::IntegraleWindow(MainCommands& main, AppContext& context, QWidget* parent)
    : QWidget(parent),
      m_main(main),
      m_host(this, context),
      m_diagramma(std::string(kDiagramSurface), kDiagramWidthPx, kDiagramHeightPx) {
  setObjectName(QStringLiteral("Integrale"));
  setAttribute(Qt::WA_DeleteOnClose);
  MakeFixedToolWindow(this, 5160, 6825);
  createControls();
  m_diagrammaView->attach(m_diagramma);
  context.attachTrace(m_diagramma);
  connect(m_uguale, &QPushButton::clicked, this, &IntegraleWindow::clickUguale);
  // Enter (either key) in a field presses "=".
  for (QLineEdit* field : {m_superiore, m_inferiore, m_segmenti->lineEdit(), m_area}) {
    connect(field, &QLineEdit::returnPressed, this, &IntegraleWindow::clickUguale);
  }
  connect(m_diagrammaView, &SurfaceView::clicked, this, &IntegraleWindow::clickDiagramma);

  // Centred on the screen.
  CenterOnScreen(this);

  // Load.
  const QString caption = QStringLiteral("f(x)=") + QString::fromStdString(m_main.Funzione());
  setWindowTitle(caption);
  m_host.ControlText("Integrale", caption.toStdString());
  m_server = StartEvalServer();
}

IntegraleWindow::~IntegraleWindow() {
  QuitEvalServer(m_server);
}

void IntegraleWindow::createControls() {
  m_label3 = PlaceNamed(new QLabel(QStringLiteral("Metodo di Simpson"), this), "Label3", 1320, 120,
                        2535, 375);
  m_label3->setFont(ToolFont(13.5));

  // The document: our integral sign; a double click opens the document file of the data
  // folder when there is one.
  m_ole1 =
      PlaceNamed(new DocumentView(DocumentView::Look::Picture, this), "OLE1", 480, 720, 615, 1695);
  m_ole1->setPicture(QPixmap(QStringLiteral(":/tools/integral_sign.png")));
  m_ole1->setOpener([this](const QString& path) { m_host.context().openDocument(path); });

  m_superiore = PlaceNamed(new QLineEdit(this), "Superiore", 960, 720, 1575, 375);
  m_superiore->setFont(ToolFont(12));

  // The integrand of the written expression: shown, never read.
  m_text3 = PlaceNamed(new QLineEdit(QStringLiteral("f(x)"), this), "Text3", 960, 1440, 495, 375);
  m_text3->setFont(ToolFont(13.5));
  m_text3->setReadOnly(true);
  m_text3->setFocusPolicy(Qt::NoFocus);
  ButtonFace(m_text3);

  m_label1 = PlaceNamed(new QLabel(QStringLiteral("dx"), this), "Label1", 1440, 1440, 375, 375);
  m_label1->setFont(ToolFont(13.5));

  m_uguale = PlaceNamed(new QPushButton(QStringLiteral("="), this), "Uguale", 1920, 1440, 495, 375);
  m_uguale->setFont(ToolFont(13.5));
  m_uguale->setAutoDefault(false);

  m_area = PlaceNamed(new QLineEdit(this), "Area", 2640, 1560, 2295, 375);
  m_area->setFont(ToolFont(9.75));
  ButtonFace(m_area);

  m_inferiore = PlaceNamed(new QLineEdit(this), "Inferiore", 720, 2160, 1695, 375);
  m_inferiore->setFont(ToolFont(12));

  m_label2 = PlaceNamed(new QLabel(QStringLiteral("Numero dei segmenti parabolici:"), this),
                        "Label2", 600, 3120, 2295, 255);
  FitText(m_label2, m_label2->text());

  m_segmenti = new QComboBox(this);
  m_segmenti->setObjectName(QStringLiteral("Segmenti"));
  m_segmenti->setEditable(true);
  m_segmenti->setInsertPolicy(QComboBox::NoInsert);
  // No completion from the list: "5" and Enter computes with 5 segments, not 50.
  m_segmenti->setCompleter(nullptr);
  m_segmenti->addItems({QStringLiteral("20"), QStringLiteral("50"), QStringLiteral("100"),
                        QStringLiteral("200"), QStringLiteral("500"), QStringLiteral("1000")});
  m_segmenti->setCurrentIndex(0);
  m_segmenti->setEditText(QStringLiteral("20"));
  PlaceTwips(m_segmenti, 3120, 3120, 1215, 315);

  m_label = PlaceNamed(new QLabel(this), "Label", 240, 3480, 2895, 255);

  m_diagrammaView = PlaceNamed(new SurfaceView(kDiagramWidthPx, kDiagramHeightPx, kWhite, this),
                               "Diagramma", 240, 3840, 4695, 2775);

  for (QLabel* l : {m_label3, m_label1, m_label2, m_label}) {
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  }
  setTabOrder(m_superiore, m_inferiore);
  setTabOrder(m_inferiore, m_segmenti);
  setTabOrder(m_segmenti, m_uguale);
  setTabOrder(m_uguale, m_area);
  m_superiore->setFocus();
}

void IntegraleWindow::loadDocument() {
  m_ole1->setFile(DataFilePath(QStringLiteral("Integrale.doc")));
}

void IntegraleWindow::setSuperiore(const QString& text) {
  m_superiore->setText(text);
}
void IntegraleWindow::setInferiore(const QString& text) {
  m_inferiore->setText(text);
}
void IntegraleWindow::setSegmenti(const QString& text) {
  m_segmenti->setEditText(text);
}

void IntegraleWindow::clickUguale() {
  if (!m_server || m_computing) return;
  m_computing = true;
  IntegraleContext ctx = clickContext();
  // The progress window belongs to the windowed program; the batch mode runs to the end.
  std::optional<ProgressWindow> progress;
  if (!m_host.context().batch()) {
    progress.emplace(this);
    ctx.progress = progress->progress();
  }
  IntegraleFields fields{m_area->text().toStdString(), m_label->text().toStdString()};
  ComputeIntegral(ctx, fields);
  progress.reset();
  m_area->setText(QString::fromStdString(fields.area));
  m_label->setText(QString::fromStdString(fields.label));
  FitText(m_label, m_label->text());
  m_computing = false;
}

void IntegraleWindow::clickDiagramma() {
  if (!m_server || m_computing) return;
  IntegraleContext ctx = clickContext();
  RedrawDiagram(ctx);
}

IntegraleContext IntegraleWindow::clickContext() {
  return IntegraleContext{m_diagramma,
                          m_main.surface(),
                          m_server->book(),
                          m_host,
                          m_main.Funzione(),
                          m_superiore->text().toStdString(),
                          m_inferiore->text().toStdString(),
                          m_segmenti->currentText().toStdString(),
                          QLocale().decimalPoint().toStdString()};
}

void IntegraleWindow::closeEvent(QCloseEvent* event) {
  if (m_computing) {
    event->ignore();
    return;
  }
  QuitEvalServer(m_server);
  event->accept();
}

}  // namespace curvalis
