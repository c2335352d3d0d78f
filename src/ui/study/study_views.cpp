#include "ui/study/study_views.h"

#include <QPainter>
#include <QStringList>
#include <algorithm>

#include "io/study/study_output.h"

namespace curvalis {
namespace {

constexpr char kPending[] = "calcolo in corso";

void PaintPending(QWidget& w) {
  QPainter p(&w);
  p.setPen(w.palette().color(QPalette::PlaceholderText));
  p.drawText(w.rect(), Qt::AlignCenter, QString::fromUtf8(kPending));
}

// A drawing's name, and its name for a screen reader, whose user reaches it with Tab; its
// height follows its width.
void SetUpDrawing(QWidget& w, const QString& name, const QString& accessibleName) {
  w.setObjectName(name);
  w.setAccessibleName(accessibleName);
  w.setFocusPolicy(Qt::StrongFocus);
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  policy.setHeightForWidth(true);
  w.setSizePolicy(policy);
}

}  // namespace

VariationTableView::VariationTableView(QWidget* parent) : QWidget(parent) {
  SetUpDrawing(*this, QStringLiteral("Tabella"), Q(study::kTableTitle));
  setAccessibleDescription(QString::fromUtf8(kPending));
}

void VariationTableView::setSheet(const study::Sheet& sheet) {
  m_sheet = sheet;
  QStringList lines;
  if (sheet.tableReady) {
    for (const std::string& line : study::TableLines(sheet)) lines << Q(line);
  } else {
    lines << QString::fromUtf8(kPending);
  }
  setAccessibleDescription(lines.join(QLatin1Char('\n')));
  setToolTip(sheet.tableReady ? lines.join(QLatin1Char('\n')) : QString());
  updateGeometry();
  update();
}

int VariationTableView::heightForWidth(int width) const {
  if (!m_sheet.tableReady) return 40;
  const QSizeF size = VariationTableSize(m_sheet.table);
  const qreal scale = std::min(1.0, width / size.width());
  return int(size.height() * scale) + 4;
}

QSize VariationTableView::sizeHint() const {
  if (!m_sheet.tableReady) return QSize(300, 40);
  const QSizeF size = VariationTableSize(m_sheet.table);
  return QSize(int(size.width()) + 4, int(size.height()) + 4);
}

void VariationTableView::paintEvent(QPaintEvent*) {
  if (!m_sheet.tableReady) {
    PaintPending(*this);
    return;
  }
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  PaintVariationTable(p, QRectF(rect()).adjusted(1, 1, -1, -1), m_sheet.table);
}

SignChartView::SignChartView(study::SectionId section, QWidget* parent)
    : QWidget(parent), m_section(section) {
  const bool sign = section == study::SectionId::Sign;
  SetUpDrawing(
      *this,
      sign ? QStringLiteral("SchemaSegno")
           : QStringLiteral("SchemaSegno_") + Q(study::SectionName(section)),
      sign ? Q(study::kSignChartTitle)
           : Q(study::kSignChartTitle) + QStringLiteral(": ") + Q(study::SectionTitle(section)));
}

void SignChartView::setSheet(const study::Sheet& sheet) {
  const study::SignChart* chart = study::SectionChart(sheet, m_section);
  m_chart = chart ? *chart : study::SignChart{};
  QStringList lines;
  for (const study::SignChartRow& r : m_chart.rows) {
    QString line = Q(study::ChartRowTitle(r)) + QLatin1Char(':');
    for (std::size_t i = 0; i < m_chart.xs.size(); ++i) {
      const study::Sign at = r.atPoint[i];
      if (at == study::Sign::Zero || at == study::Sign::Undefined) {
        line += QLatin1Char(' ') + Q(study::SignText(at)) + QStringLiteral(" in ") +
                Q(m_chart.xs[i].text);
      }
      if (i + 1 < m_chart.xs.size()) line += QLatin1Char(' ') + Q(study::SignText(r.onInterval[i]));
    }
    lines << line;
  }
  setAccessibleDescription(lines.join(QLatin1Char('\n')));
  updateGeometry();
  update();
}

int SignChartView::heightForWidth(int width) const {
  const QSizeF size = SignChartSize(m_chart);
  if (size.isEmpty()) return 0;
  return int(size.height() * std::min(1.0, width / size.width())) + 4;
}

QSize SignChartView::sizeHint() const {
  const QSizeF size = SignChartSize(m_chart);
  return QSize(int(size.width()) + 4, int(size.height()) + 4);
}

void SignChartView::paintEvent(QPaintEvent*) {
  if (m_chart.rows.empty()) return;
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  PaintSignChart(p, QRectF(rect()).adjusted(1, 1, -1, -1), m_chart);
}

StudyGraphView::StudyGraphView(QWidget* parent) : QWidget(parent) {
  SetUpDrawing(*this, QStringLiteral("Grafico"), QStringLiteral("Grafico di f"));
  setAccessibleDescription(QString::fromUtf8(kPending));
}

void StudyGraphView::setSheet(const study::Sheet& sheet) {
  m_sheet = sheet;
  setAccessibleDescription(sheet.tableReady ? GraphDescription(sheet)
                                            : QString::fromUtf8(kPending));
  updateGeometry();
  update();
}

int StudyGraphView::heightForWidth(int width) const {
  return m_sheet.tableReady ? width * 3 / 4 : 40;
}

QSize StudyGraphView::sizeHint() const {
  return QSize(480, m_sheet.tableReady ? 360 : 40);
}

void StudyGraphView::paintEvent(QPaintEvent*) {
  if (!m_sheet.tableReady) {
    PaintPending(*this);
    return;
  }
  QPainter p(this);
  PaintStudyGraph(p, QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), m_sheet);
}

QString GraphDescription(const study::Sheet& sheet) {
  const study::GraphView& v = sheet.view;
  QStringList parts;
  parts << QStringLiteral("Grafico di f per x da %1 a %2 e y da %3 a %4.")
               .arg(v.left, 0, 'g', 4)
               .arg(v.right, 0, 'g', 4)
               .arg(v.bottom, 0, 'g', 4)
               .arg(v.top, 0, 'g', 4);
  QStringList points;
  for (const study::GraphPoint& g : sheet.points) points << Q(g.label);
  if (!points.isEmpty())
    parts << QStringLiteral("Punti notevoli: ") + points.join(QStringLiteral(", ")) + '.';
  if (sheet.asymptotes.determined && !sheet.asymptotes.data.items.empty()) {
    parts << QStringLiteral("Asintoti tratteggiati.");
  }
  return parts.join(QLatin1Char(' '));
}

}  // namespace curvalis
