#include "ui/common/app_context.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>
#include <cstdio>

namespace curvalis {

void AppContext::message(QWidget* parent, std::string_view text) {
  if (trace_) trace_->Message(text);
  if (messageSink_) {
    messageSink_(parent, text);
    return;
  }
  if (batch_) {
    std::fprintf(stderr, "Curvalis: %.*s\n", int(text.size()), text.data());
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Curvalis"),
                  QString::fromUtf8(text.data(), qsizetype(text.size())), QMessageBox::Ok, parent);
  box.exec();
}

void AppContext::openDocument(const QString& path) {
  if (documentOpener_) {
    documentOpener_(path);
  } else {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  }
}

void AppContext::attachTrace(Surface& surface) {
  if (!trace_) return;
  sinks_.push_back(std::make_unique<TraceSink>(*trace_, surface.name()));
  surface.AddSink(sinks_.back().get());
}

WidgetHost::~WidgetHost() {
  while (busy_ > 0) SetBusyCursor(false);
}

// The hourglass is an application override cursor; nested commands nest it.
void WidgetHost::SetBusyCursor(bool busy) {
  if (busy) {
    ++busy_;
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (busy_ > 0) {
    --busy_;
    QApplication::restoreOverrideCursor();
  }
}

void WidgetHost::Message(std::string_view text) {
  // A message box is shown with the default cursor.
  int held = busy_;
  for (int i = 0; i < held; ++i) QApplication::restoreOverrideCursor();
  context_.message(window_, text);
  for (int i = 0; i < held; ++i) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void WidgetHost::CommandStarted(std::string_view name) {
  if (TraceWriter* t = context_.trace()) t->Command(name);
}

void WidgetHost::ControlText(std::string_view control, std::string_view text) {
  if (TraceWriter* t = context_.trace()) t->ControlText(control, text);
}

void WidgetHost::FileWritten(std::string_view path, bool written) {
  if (TraceWriter* t = context_.trace()) t->File(path, written);
}

}  // namespace curvalis
