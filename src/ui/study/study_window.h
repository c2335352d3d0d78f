// The study window "Studio completo": the written study of f over its whole domain, beside the
// main window. The sections stand in order under their headings and fill in as the worker's
// answers arrive ("calcolo in corso" where one is pending); then the sign-and-variation table
// and the graph. Its own menu "&Studio" exports and prints the finished sheet.
#pragma once

#include <QMainWindow>
#include <QMap>
#include <array>

#include "study/sheet.h"
#include "ui/common/app_context.h"
#include "ui/study/study_worker.h"

class QAction;
class QLabel;

namespace curvalis {

class FormulaLabel;
class VariationTableView;
class SignChartView;
class StudyGraphView;

class StudyWindow : public QMainWindow {
  Q_OBJECT
 public:
  // `parent` is the main window: the study window stands beside it. The engine comes from
  // the context's factory.
  StudyWindow(AppContext& context, QWidget* parent);
  ~StudyWindow() override;

  // Studies `funzione` (the text of Funzione as typed), abandoning the study in progress:
  // its late answers are ignored.
  void study(const QString& funzione);

  // The formula studied, as typed.
  const QString& formula() const { return m_formula; }
  // The sheet as shown so far.
  const study::Sheet& sheet() const { return m_sheet; }
  bool finished() const { return m_finished; }

  // The text shown for a section (its lines, one a line, as the sheet writes them), and its
  // label.
  QString sectionText(study::SectionId id) const;
  FormulaLabel* sectionLabel(study::SectionId id) const;
  FormulaLabel* titleLabel() const { return m_title; }
  VariationTableView* tableView() const { return m_table; }
  // The sign chart under a section's result; nullptr for a section that draws none.
  SignChartView* chartView(study::SectionId id) const { return m_charts[size_t(id)]; }
  StudyGraphView* graphView() const { return m_graph; }
  // The working shown under a section ("Svolgimento" and its lines), empty when it has none.
  FormulaLabel* workingLabel(study::SectionId id) const;
  // Whether the working is shown (menu "Mostra svolgimento", on by default).
  bool workingShown() const;
  void setWorkingShown(bool shown);
  // The window's menu actions by name: mEsportaStudio, mStampaStudio, mSvolgimento,
  // mChiudiStudio.
  QAction* action(const QString& name) const { return m_actions.value(name); }

  // "Esporta studio...": the sheet to a file of the user's choice, PDF, LaTeX or Markdown,
  // with its working or with the results alone (the kind chosen in the dialog).
  void mEsportaStudio();
  // "Stampa studio": the sheet on the default printer (or the context's PDF file), with the
  // working when the window shows it.
  void mStampaStudio();

 signals:
  // A section was shown (its number in the sheet's order).
  void sectionShown(int section);

 private:
  void createMenus();
  void createContent();
  void showSheet(const study::Sheet& sheet, int section);
  void showFinished(const study::Sheet& sheet);
  void refreshSection(study::SectionId id);
  void refreshRejected();
  void refreshAll();

  AppContext& m_context;
  WidgetHost m_host;
  StudyWorker* m_worker = nullptr;
  QString m_formula;
  study::Sheet m_sheet;
  bool m_finished = false;

  FormulaLabel* m_title = nullptr;
  QLabel* m_rejected = nullptr;
  std::array<QLabel*, study::kSectionCount> m_headings{};
  std::array<FormulaLabel*, study::kSectionCount> m_bodies{};
  std::array<FormulaLabel*, study::kSectionCount> m_workings{};
  std::array<SignChartView*, study::kSectionCount> m_charts{};
  QLabel* m_tableHeading = nullptr;
  VariationTableView* m_table = nullptr;
  QLabel* m_graphHeading = nullptr;
  StudyGraphView* m_graph = nullptr;
  QMap<QString, QAction*> m_actions;
};

}  // namespace curvalis
