// What every window test sets up before each test function: a data folder of its own, a
// context that records its message boxes, its questions (answered by `answerYes`), its save
// dialogs (answered by `saveAnswer`) and the documents it would open instead of showing them,
// and the trace kept in memory. A Qt Test class derives from it beside QObject.
#pragma once

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <sstream>

#include "core/trace.h"
#include "ui/common/app_context.h"

namespace curvalis::testing {

class WindowFixture {
 protected:
  // For init(): false when no data folder can be made.
  bool setUp() {
    QLocale::setDefault(QLocale::c());
    dir = std::make_unique<QTemporaryDir>();
    if (!dir->isValid()) return false;
    qputenv("CURVALIS_DATA_DIR", QFile::encodeName(dir->path()));
    messages.clear();
    questions.clear();
    saveStarts.clear();
    opened.clear();
    answerYes = false;
    saveAnswer.clear();
    traceText.str({});
    trace = std::make_unique<TraceWriter>(traceText);
    context = std::make_unique<AppContext>();
    context->setMessageSink([this](QWidget*, std::string_view text) {
      messages << QString::fromUtf8(text.data(), qsizetype(text.size()));
    });
    context->setQuestionSink([this](QWidget*, std::string_view text, std::string_view detail) {
      questions << QString::fromUtf8(text.data(), qsizetype(text.size())) + '\n' +
                       QString::fromUtf8(detail.data(), qsizetype(detail.size()));
      return answerYes;
    });
    context->setSaveFileChooser(
        [this](QWidget*, const QString&, const QString& start, const QStringList&, QString*) {
          saveStarts << start;
          return saveAnswer;
        });
    context->setDocumentOpener([this](const QString& path) { opened << path; });
    context->setTrace(trace.get());
    return true;
  }
  // For cleanup(), after the test's windows are gone: a folder made read-only is writable
  // again, so that it can be removed.
  void tearDown() {
    if (dir)
      QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    context.reset();
    trace.reset();
    QLocale::setDefault(QLocale::c());
  }

  QString data(const QString& name) const { return dir->filePath(name); }

  // The trace's lines of one kind: "text" as control=text, "file" as path=written.
  QStringList traced(const char* op) const {
    QStringList out;
    for (const QString& line : QString::fromStdString(traceText.str()).split('\n')) {
      QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
      if (o.value("op").toString() != QLatin1String(op)) continue;
      out << (o.contains("control")
                  ? o["control"].toString() + "=" + o["text"].toString()
                  : o["path"].toString() + "=" + (o["written"].toBool() ? "true" : "false"));
    }
    return out;
  }

  std::unique_ptr<QTemporaryDir> dir;
  QStringList messages, opened;  // the message boxes' texts, the documents opened
  QStringList questions;         // the questions asked, text and detail a line each
  QStringList saveStarts;        // where each save dialog started
  bool answerYes = false;
  QString saveAnswer;  // the save dialog's answer; empty: cancelled
  std::ostringstream traceText;
  std::unique_ptr<TraceWriter> trace;
  std::unique_ptr<AppContext> context;
};

}  // namespace curvalis::testing
