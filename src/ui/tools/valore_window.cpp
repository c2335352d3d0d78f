#include "ui/tools/valore_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include "session/value_calc.h"
#include "session/main_commands.h"
#include "ui/tools/tool_layout.h"

namespace curvalis {

ValoreWindow::ValoreWindow(MainCommands& main, AppContext& context, QWidget* parent)
    : QWidget(parent), m_main(main), m_host(this, context) {
  setObjectName(QStringLiteral("Valore"));
  setAttribute(Qt::WA_DeleteOnClose);
  MakeFixedToolWindow(this, 4800, 630);

  m_label1 = new QLabel(QStringLiteral("x="), this);
  m_label1->setObjectName(QStringLiteral("Label1"));
  m_label1->setFont(ToolFont(13.5));
  PlaceTwips(m_label1, 120, 120, 495, 495);
  m_label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  m_valoreX = new QLineEdit(this);
  m_valoreX->setObjectName(QStringLiteral("ValoreX"));
  PlaceTwips(m_valoreX, 480, 120, 975, 375);

  m_label2 = new QLabel(QStringLiteral("f(x)"), this);
  m_label2->setObjectName(QStringLiteral("Label2"));
  m_label2->setFont(ToolFont(13.5));
  PlaceTwips(m_label2, 1560, 120, 375, 375);
  m_label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  m_uguale = new QPushButton(QStringLiteral("="), this);
  m_uguale->setObjectName(QStringLiteral("Uguale"));
  m_uguale->setFont(ToolFont(13.5));
  m_uguale->setAutoDefault(false);
  PlaceTwips(m_uguale, 2040, 120, 495, 435);

  m_valoreY = new QLineEdit(this);
  m_valoreY->setObjectName(QStringLiteral("ValoreY"));
  PlaceTwips(m_valoreY, 2640, 120, 2055, 405);

  setTabOrder(m_valoreX, m_uguale);
  setTabOrder(m_uguale, m_valoreY);
  connect(m_uguale, &QPushButton::clicked, this, &ValoreWindow::clickUguale);

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
