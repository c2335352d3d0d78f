#include "ui/about/help_window.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/about/version.h"
#include "ui/common/layout.h"

namespace curvalis {

namespace {

const char kIndex[] = "index.html";

}  // namespace

const QList<HelpTopic>& HelpTopics() {
  using K = HelpTopic::Kind;
  static const QList<HelpTopic> topics = {
      {"index.html", "Guida di Curvalis", K::Guide},
      {"formula.html", "Scrivere la funzione", K::Guide},
      {"apri_funzione.html", "Apri funzione", K::Command},
      {"salva_funzione.html", "Salva funzione", K::Command},
      {"salva_grafico.html", "Salva grafico", K::Command},
      {"salva_tutto.html", "Salva tutto", K::Command},
      {"esporta_grafico.html", "Esporta grafico", K::Command},
      {"stampa_grafico.html", "Stampa grafico", K::Command},
      {"stampa_tutto.html", "Stampa tutto", K::Command},
      {"grafico.html", "Grafico", K::Command},
      {"dominio.html", "Dominio", K::Command},
      {"derivata.html", "Derivata", K::Command},
      {"valore.html", "Valore", K::Command},
      {"integrale.html", "Integrale", K::Command},
      {"zeri.html", "Zeri", K::Command},
      {"minimi_massimi.html", "Minimi e Massimi", K::Command},
      {"flessi.html", "Flessi", K::Command},
      {"asintoti.html", "Asintoti", K::Command},
      {"tangente_flessi.html", "Tangente nei flessi", K::Command},
      {"studio_completo.html", "Studio completo", K::Command},
      {"continuita.html", "Funzioni continue e punti di discontinuità", K::Theory},
      {"derivabilita.html", "Derivabilità", K::Theory},
      {"crescenza.html", "Funzioni crescenti e decrescenti", K::Theory},
      {"concavita.html", "Concavità, convessità e flessi", K::Theory},
      {"asintoti_teoria.html", "Asintoti verticali,orizzontali ed obliqui", K::Theory},
      {"punti_angolosi.html", "Punti angolosi e cuspidali", K::Theory},
  };
  return topics;
}

void HelpWindow::open(const QString& file) {
  if (!file.isEmpty()) showTopic(file);
  show();
  raise();
  activateWindow();
}

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName(QStringLiteral("Guida"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Guida di ") + ApplicationTitle());
  setWindowIcon(ProgramIcon());

  m_contents = new QTreeWidget;
  m_contents->setObjectName(QStringLiteral("Sommario"));
  m_contents->setHeaderHidden(true);
  m_contents->setColumnCount(1);
  QTreeWidgetItem* commands = nullptr;
  QTreeWidgetItem* theory = nullptr;
  for (const HelpTopic& topic : HelpTopics()) {
    QTreeWidgetItem* item = nullptr;
    switch (topic.kind) {
      case HelpTopic::Kind::Guide:
        item = new QTreeWidgetItem(m_contents);
        break;
      case HelpTopic::Kind::Command:
        if (!commands) commands = new QTreeWidgetItem(m_contents, {QStringLiteral("Comandi")});
        item = new QTreeWidgetItem(commands);
        break;
      case HelpTopic::Kind::Theory:
        if (!theory) theory = new QTreeWidgetItem(m_contents, {QStringLiteral("Teoria")});
        item = new QTreeWidgetItem(theory);
        break;
    }
    item->setText(0, topic.title);
    item->setData(0, Qt::UserRole, topic.file);
    item->setToolTip(0, topic.title);
  }
  m_contents->expandAll();
  auto openItem = [this](QTreeWidgetItem* item) {
    QString file = item->data(0, Qt::UserRole).toString();
    if (!file.isEmpty()) showTopic(file);
  };
  connect(m_contents, &QTreeWidget::itemClicked, this, openItem);
  connect(m_contents, &QTreeWidget::itemActivated, this, openItem);

  m_browser = new QTextBrowser;
  m_browser->setObjectName(QStringLiteral("Pagina"));
  m_browser->setOpenLinks(true);
  connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::selectTopicOf);

  auto* back = new QPushButton(QStringLiteral("< Indietro"));
  auto* forward = new QPushButton(QStringLiteral("Avanti >"));
  auto* home = new QPushButton(QStringLiteral("Indice"));
  back->setEnabled(false);
  forward->setEnabled(false);
  connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
  connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
  connect(home, &QPushButton::clicked, this, [this] { showTopic(QString::fromLatin1(kIndex)); });
  connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(back);
  buttons->addWidget(forward);
  buttons->addWidget(home);
  buttons->addStretch();

  auto* splitter = new QSplitter;
  splitter->addWidget(m_contents);
  splitter->addWidget(m_browser);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({310, 590});

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(splitter, 1);

  resize(920, 600);
  CenterOnScreen(this);
  showTopic(QString::fromLatin1(kIndex));
}

void HelpWindow::showTopic(const QString& file) {
  m_browser->setSource(QUrl(QStringLiteral("qrc:/help/") + file));
}

void HelpWindow::selectTopicOf(const QUrl& page) {
  QString file = page.fileName();
  QTreeWidgetItemIterator it(m_contents);
  for (; *it; ++it) {
    if ((*it)->data(0, Qt::UserRole).toString() == file) {
      QSignalBlocker block(m_contents);
      m_contents->setCurrentItem(*it);
      return;
    }
  }
}

}  // namespace curvalis
