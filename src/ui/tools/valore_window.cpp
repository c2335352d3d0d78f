#include "ui/tools/valore_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include "session/main_commands.h"
#include "session/value_calc.h"
#include "ui/tools/tool_layout.h"

namespace curvalis {

ValoreWindow::ValoreWindow(MainCommands& main, AppContext& context, QWidget* parent)
    : QWidget(parent), m_main(main), m_host(this, context) {
  setObjectName(QStringLiteral("Valore"));
  setAttribute(Qt::WA_DeleteOnClose);
  MakeFixedToolWindow(this, 4800, 630);

  m_label1 = PlaceNamed(new QLabel(QStringLiteral("x="), this), "Label1", 120, 120, 495, 495);
  m_label1->setFont(ToolFont(13.5));
  m_label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  m_valoreX = PlaceNamed(new QLineEdit(this), "ValoreX", 480, 120, 975, 375);

  m_label2 = PlaceNamed(new QLabel(QStringLiteral("f(x)"), this), "Label2", 1560, 120, 375, 375);
  m_label2->setFont(ToolFont(13.5));
  m_label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  m_uguale = PlaceNamed(new QPushButton(QStringLiteral("="), this), "Uguale", 2040, 120, 495, 435);
  m_uguale->setFont(ToolFont(13.5));
  m_uguale->setAutoDefault(false);

  m_valoreY = PlaceNamed(new QLineEdit(this), "ValoreY", 2640, 120, 2055, 405);

  setTabOrder(m_valoreX, m_uguale);
  setTabOrder(m_uguale, m_valoreY);
  connect(m_uguale, &QPushButton::clicked, this, &ValoreWindow::clickUguale);
  // Enter (either key) in a field presses "=".
  for (QLineEdit* field : {m_valoreX, m_valoreY}) {
    connect(field, &QLineEdit::returnPressed, this, &ValoreWindow::clickUguale);
  }
  // Beside the main window, so that the graph stays in sight.
  if (parent) PlaceBeside(this, parent->window());

  // Load.
  const QString caption = QStringLiteral("f(x)=") + QString::fromStdString(m_main.Funzione());
  setWindowTitle(caption);
  m_host.ControlText("Valore", caption.toStdString());
  m_server = StartEvalServer();
  m_valoreX->setFocus();
}

ValoreWindow::~ValoreWindow() {
  QuitEvalServer(m_server);
}

void ValoreWindow::setValoreX(const QString& text) {
  m_valoreX->setText(text);
}

void ValoreWindow::clickUguale() {
  if (!m_server) return;  // unloaded
  ValoreContext ctx{m_server->book(),
                    m_main.surface(),
                    m_host,
                    m_main.Funzione(),
                    m_valoreX->text().toStdString(),
                    QLocale().decimalPoint().toStdString()};
  if (std::optional<std::string> text = ComputeValue(ctx)) {
    m_valoreY->setText(QString::fromStdString(*text));
  }
}

void ValoreWindow::closeEvent(QCloseEvent* event) {
  QuitEvalServer(m_server);
  event->accept();
}

}  // namespace curvalis
