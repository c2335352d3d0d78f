#include "ui/common/app_context.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>
#include <cstdio>

namespace curvalis {

void AppContext::message(QWidget* parent, std::string_view text, std::string_view detail) {
  if (m_trace) m_trace->Message(text, detail);
  if (m_messageSink) {
    m_messageSink(parent, text);
    return;
  }
  if (m_batch) {
    std::fprintf(stderr, "Curvalis: %.*s%s%.*s\n", int(text.size()), text.data(),
                 detail.empty() ? "" : " ", int(detail.size()), detail.data());
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Curvalis"),
                  QString::fromUtf8(text.data(), qsizetype(text.size())), QMessageBox::Ok, parent);
  if (!detail.empty()) {
    box.setInformativeText(QString::fromUtf8(detail.data(), qsizetype(detail.size())));
  }
  box.exec();
}

void AppContext::openDocument(const QString& path) {
  if (m_documentOpener) {
    m_documentOpener(path);
  } else {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  }
}

QString AppContext::chooseSaveFile(QWidget* parent, const QString& title, const QString& start,
                                   const QStringList& filters, QString* chosenFilter) {
  if (m_saveFileChooser) return m_saveFileChooser(parent, title, start, filters, chosenFilter);
  const QFileInfo startInfo(start);
  QFileDialog dialog(parent, title, startInfo.absolutePath());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(filters);
  dialog.selectFile(startInfo.fileName());
  // A name typed without an ending takes the one of the chosen kind: "*.png" gives "png".
  auto suffixOf = [](const QString& filter) {
    const qsizetype dot = filter.lastIndexOf(QLatin1String("*."));
    return dot < 0 ? QString() : filter.mid(dot + 2).section(QLatin1Char(')'), 0, 0);
  };
  if (!filters.isEmpty()) dialog.setDefaultSuffix(suffixOf(filters.front()));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  if (chosenFilter) *chosenFilter = dialog.selectedNameFilter();
  return dialog.selectedFiles().front();
}

void AppContext::attachTrace(Surface& surface) {
  if (!m_trace) return;
  m_sinks.push_back(std::make_unique<TraceSink>(*m_trace, surface.name()));
  surface.AddSink(m_sinks.back().get());
}

WidgetHost::~WidgetHost() {
  while (m_busy > 0) SetBusyCursor(false);
}

// The hourglass is an application override cursor; nested commands nest it.
void WidgetHost::SetBusyCursor(bool busy) {
  if (busy) {
    ++m_busy;
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (m_busy > 0) {
    --m_busy;
    QApplication::restoreOverrideCursor();
  }
}

void WidgetHost::Message(std::string_view text, std::string_view detail) {
  // A message box is shown with the default cursor.
  int held = m_busy;
  for (int i = 0; i < held; ++i) QApplication::restoreOverrideCursor();
  m_context.message(m_window, text, detail);
  for (int i = 0; i < held; ++i) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void WidgetHost::CommandStarted(std::string_view name) {
  if (TraceWriter* t = m_context.trace()) t->Command(name);
}

void WidgetHost::ControlText(std::string_view control, std::string_view text) {
  if (TraceWriter* t = m_context.trace()) t->ControlText(control, text);
}

void WidgetHost::FileWritten(std::string_view path, bool written) {
  if (TraceWriter* t = m_context.trace()) t->File(path, written);
}

}  // namespace curvalis
