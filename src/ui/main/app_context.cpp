#include "ui/main/app_context.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace curvalis {

AppContext& AppContext::instance() {
  static AppContext context;
  return context;
}

void AppContext::message(QWidget* parent, std::string_view text, std::string_view detail) {
  if (trace) trace->Message(text, detail);
  if (messageOverride) {
    messageOverride(parent, text);
    return;
  }
  if (batch) {
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

void AppContext::attachTrace(Surface& surface) {
  if (!trace) return;
  sinks_.push_back(std::make_unique<TraceSink>(*trace, surface.name()));
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

void WidgetHost::Message(std::string_view text, std::string_view detail) {
  // A message box is shown with the default cursor.
  int held = busy_;
  for (int i = 0; i < held; ++i) QApplication::restoreOverrideCursor();
  AppContext::instance().message(window_, text, detail);
  for (int i = 0; i < held; ++i) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void WidgetHost::CommandStarted(std::string_view name) {
  if (auto* t = AppContext::instance().trace) t->Command(name);
}

void WidgetHost::ControlText(std::string_view control, std::string_view text) {
  if (auto* t = AppContext::instance().trace) t->ControlText(control, text);
}

void WidgetHost::FileWritten(std::string_view path, bool written) {
  if (auto* t = AppContext::instance().trace) t->File(path, written);
}

}  // namespace curvalis
