// The two drawings of the study window: the sign-and-variation table and the graph, painted
// by the same routines as the PDF and the printed page. Each also carries its content as text
// for a screen reader.
#pragma once

#include <QWidget>

#include "study/sheet.h"

namespace curvalis {

// A text of the sheet (UTF-8) as the study window shows it.
inline QString Q(std::string_view s) {
  return QString::fromUtf8(s);
}

class VariationTableView : public QWidget {
  Q_OBJECT
 public:
  explicit VariationTableView(QWidget* parent = nullptr);
  // Shows the table of `sheet` once it is ready; "calcolo in corso" until then.
  void setSheet(const study::Sheet& sheet);
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  study::Sheet m_sheet;
};

// The sign chart of a section (Segno's of f, Monotonia's of f′, Concavità's of f″), painted by
// the same routine as the PDF and the printed page; hidden while the sheet has none. Its rows
// are also text for a screen reader.
class SignChartView : public QWidget {
  Q_OBJECT
 public:
  explicit SignChartView(study::SectionId section, QWidget* parent = nullptr);
  void setSheet(const study::Sheet& sheet);
  bool hasChart() const { return !m_chart.rows.empty(); }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  study::SectionId m_section;
  study::SignChart m_chart;
};

class StudyGraphView : public QWidget {
  Q_OBJECT
 public:
  explicit StudyGraphView(QWidget* parent = nullptr);
  void setSheet(const study::Sheet& sheet);
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  study::Sheet m_sheet;
};

// The graph's content as a screen reader says it: its view, its asymptotes and its points.
QString GraphDescription(const study::Sheet& sheet);

}  // namespace curvalis
