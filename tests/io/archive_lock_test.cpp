// Programs saving to one archive at once: every record is kept, each on a whole line; a save
// that finds the archive's lock held waits, then gives up without writing; a lock left by a
// program that died is taken over ("Archive lock").
#include <gtest/gtest.h>
#include <signal.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "io/archive_file.h"
#include "support/files.h"

using namespace curvalis;
using namespace std::chrono_literals;

namespace {

using curvalis::testing::ReadAll;
using curvalis::testing::WriteAll;

// This test program, which runs itself again to leave a lock behind (see main).
const char* g_self = nullptr;

// Far beyond what the programs need, also under the sanitizers: only a hang reaches it.
constexpr int kProgramsBoundMs = 120000;

QStringList FilesIn(const QTemporaryDir& dir) {
  return QDir(dir.path())
      .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Starts the program in batch mode with `folder` as its data folder; standard output (the
// trace, if asked for) and standard error are read when it has finished.
std::unique_ptr<QProcess> StartBatch(const QString& folder, const QStringList& arguments) {
  auto program = std::make_unique<QProcess>();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("CURVALIS_DATA_DIR"), folder);
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  program->setProcessEnvironment(env);
  program->start(QStringLiteral(CURVALIS_PROGRAM), QStringList{"--batch"} + arguments);
  return program;
}

// Waits for `program` until `deadline`; true when it ended normally with exit code 0.
::testing::AssertionResult Finished(QProcess& program, const QDeadlineTimer& deadline) {
  if (!program.waitForFinished(int(std::max<qint64>(1, deadline.remainingTime())))) {
    program.kill();
    program.waitForFinished(10000);
    return ::testing::AssertionFailure() << "the program did not end in time";
  }
  if (program.exitStatus() != QProcess::NormalExit || program.exitCode() != 0) {
    return ::testing::AssertionFailure()
           << "exit " << program.exitCode() << ": " << program.readAllStandardError().toStdString();
  }
  return ::testing::AssertionSuccess();
}

// The trace's messages and the written flags of its file events, in order.
void ReadTrace(const QByteArray& trace, QStringList* messages, QList<bool>* written) {
  for (const QByteArray& line : trace.split('\n')) {
    const QJsonObject o = QJsonDocument::fromJson(line).object();
    if (o.value("op").toString() == "message") *messages << o.value("text").toString();
    if (o.value("op").toString() == "file") *written << o.value("written").toBool();
  }
}

// Four programs, each saving forty formulas of its own in a row into one data folder, as a
// script or several open windows would. Without the lock an append that overlapped another
// replaced it: about half of the records were lost.
TEST(ArchiveLock, ProgramsSavingAtOnceKeepEveryRecordWhole) {
  constexpr int kPrograms = 4;
  constexpr int kRecords = 40;
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  std::vector<std::unique_ptr<QProcess>> programs;
  for (int p = 0; p < kPrograms; ++p) {
    QStringList commands;
    for (int i = 0; i < kRecords; ++i) {
      commands << QStringLiteral("Funzione=x+%1*1000+%2").arg(p).arg(i) << "mSalvaF";
    }
    programs.push_back(StartBatch(dir.path(), commands));
  }
  const QDeadlineTimer deadline(kProgramsBoundMs);
  for (auto& program : programs) {
    ASSERT_TRUE(Finished(*program, deadline));
    const QString errors = QString::fromUtf8(program->readAllStandardError());
    EXPECT_FALSE(errors.contains(QString::fromUtf8(kMsgArchiveNotSaved))) << errors.toStdString();
  }

  // One record a line, each line "x+P*1000+I" quoted and ended by CR LF; every record once,
  // those of one program in the order it saved them.
  const QByteArray bytes = ReadAll(dir.filePath("Archivio.txt"));
  ASSERT_TRUE(bytes.endsWith("\r\n"));
  const QRegularExpression record(QStringLiteral("^\"x\\+(\\d)\\*1000\\+(\\d+)\"\r$"));
  std::vector<std::vector<int>> saved(kPrograms);
  const QList<QByteArray> lines = bytes.chopped(1).split('\n');
  for (const QByteArray& line : lines) {
    const QRegularExpressionMatch m = record.match(QString::fromLatin1(line));
    ASSERT_TRUE(m.hasMatch()) << line.toStdString();
    const int p = m.captured(1).toInt();
    ASSERT_LT(p, kPrograms) << line.toStdString();
    saved[std::size_t(p)].push_back(m.captured(2).toInt());
  }
  std::vector<int> all(kRecords);
  for (int i = 0; i < kRecords; ++i) all[std::size_t(i)] = i;
  for (int p = 0; p < kPrograms; ++p) EXPECT_EQ(saved[std::size_t(p)], all) << "program " << p;
  EXPECT_EQ(lines.size(), kPrograms * kRecords);
  // No lock and no temporary file left behind.
  EXPECT_EQ(FilesIn(dir), QStringList{"Archivio.txt"});
}

// Another program holds the lock: the save waits the whole time it is given, then says why
// and writes nothing; once the lock is released, the next save goes through.
TEST(ArchiveLock, HeldLockMakesTheSaveWaitThenGiveUp) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("Archivio.txt");
  ASSERT_TRUE(WriteAll(path, "\"a\"\r\n"));
  QLockFile held(ArchiveLockPath(path));
  ASSERT_TRUE(held.tryLock(0));

  QElapsedTimer clock;
  clock.start();
  QString reason;
  EXPECT_FALSE(AppendArchiveRecord(path, "b", &reason, 300ms));
  EXPECT_GE(clock.elapsed(), 300);  // a bound from below: a slow machine only waits longer
  EXPECT_EQ(reason.toStdString(),
            QDir::toNativeSeparators(path).toStdString() +
                ": l'archivio è in uso da un altro programma, riprovare fra qualche secondo");
  EXPECT_EQ(ReadAll(path), "\"a\"\r\n");
  EXPECT_EQ(FilesIn(dir), (QStringList{"Archivio.txt", "Archivio.txt.lock"}));

  held.unlock();
  EXPECT_TRUE(AppendArchiveRecord(path, "b", &reason)) << reason.toStdString();
  EXPECT_EQ(ReadAll(path), "\"a\"\r\n\"b\"\r\n");
  EXPECT_EQ(FilesIn(dir), QStringList{"Archivio.txt"});
}

// A lock released while the save waits: the save takes it and appends.
TEST(ArchiveLock, LockReleasedDuringTheWaitLetsTheSaveThrough) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("Archivio.txt");
  ASSERT_TRUE(WriteAll(path, "\"a\"\r\n"));
  std::promise<void> taken;
  std::thread holder([&] {
    QLockFile held(ArchiveLockPath(path));
    const bool locked = held.tryLock(0);
    taken.set_value();
    // How long it is held does not matter: the save below waits far longer.
    if (locked) std::this_thread::sleep_for(200ms);
  });
  taken.get_future().wait();
  QString reason;
  const bool saved = AppendArchiveRecord(path, "b", &reason, 60s);
  holder.join();
  EXPECT_TRUE(saved) << reason.toStdString();
  EXPECT_EQ(ReadAll(path), "\"a\"\r\n\"b\"\r\n");
  EXPECT_EQ(FilesIn(dir), QStringList{"Archivio.txt"});
}

// The whole path of "Salva funzione" in the program, with the lock held by this test: it
// waits its five seconds, then tells the failure and the reason; the archive is untouched.
TEST(ArchiveLock, SalvaFunzioneWithTheLockHeldFailsAndWritesNothing) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("Archivio.txt");
  ASSERT_TRUE(WriteAll(path, "\"a\"\r\n"));
  QLockFile held(ArchiveLockPath(path));
  ASSERT_TRUE(held.tryLock(0));

  QElapsedTimer clock;
  clock.start();
  auto program = StartBatch(dir.path(), {"--trace", "-", "Funzione=x^2", "mSalvaF"});
  ASSERT_TRUE(Finished(*program, QDeadlineTimer(kProgramsBoundMs)));
  EXPECT_GE(clock.elapsed(), 5000);  // a bound from below: a slow machine only waits longer

  QStringList messages;
  QList<bool> written;
  ReadTrace(program->readAllStandardOutput(), &messages, &written);
  EXPECT_EQ(messages.join('|').toStdString(),
            "Impossibile salvare la funzione\n" + QDir::toNativeSeparators(path).toStdString() +
                ": l'archivio è in uso da un altro programma, riprovare fra qualche secondo");
  EXPECT_EQ(written, QList<bool>{false});
  EXPECT_EQ(ReadAll(path), "\"a\"\r\n");
  EXPECT_EQ(FilesIn(dir), (QStringList{"Archivio.txt", "Archivio.txt.lock"}));
}

// A program that died while it held the lock left the lock file behind; "Salva funzione"
// finds that its program no longer runs, takes the lock over and appends.
TEST(ArchiveLock, LockOfAProgramThatDiedIsTakenOver) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("Archivio.txt");
  const QString lockPath = ArchiveLockPath(path);
  ASSERT_TRUE(WriteAll(path, "\"a\"\r\n"));
  QProcess holder;
  holder.start(QString::fromLocal8Bit(g_self), {"--leave-lock", lockPath});
  ASSERT_TRUE(holder.waitForFinished(kProgramsBoundMs));
  ASSERT_EQ(holder.exitStatus(), QProcess::CrashExit);  // killed while it held the lock
  qint64 pid = 0;
  ASSERT_TRUE(QLockFile(lockPath).getLockInfo(&pid, nullptr, nullptr));
  ASSERT_NE(::kill(pid_t(pid), 0), 0);  // its program is gone

  auto program = StartBatch(dir.path(), {"--trace", "-", "Funzione=x^2", "mSalvaF"});
  ASSERT_TRUE(Finished(*program, QDeadlineTimer(kProgramsBoundMs)));
  QStringList messages;
  QList<bool> written;
  ReadTrace(program->readAllStandardOutput(), &messages, &written);
  EXPECT_EQ(messages, QStringList());
  EXPECT_EQ(written, QList<bool>{true});
  EXPECT_EQ(ReadAll(path), "\"a\"\r\n\"x^2\"\r\n");
  EXPECT_EQ(FilesIn(dir), QStringList{"Archivio.txt"});
}

}  // namespace

int main(int argc, char** argv) {
  // "--leave-lock PATH": take the lock PATH and die at once, as a program that crashes while
  // it saves, so that the lock file stays behind with the number of a process that is gone.
  if (argc == 3 && std::string(argv[1]) == "--leave-lock") {
    QLockFile lock(QString::fromLocal8Bit(argv[2]));
    if (!lock.tryLock(0)) return 1;
    std::raise(SIGKILL);
  }
  g_self = argv[0];
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
