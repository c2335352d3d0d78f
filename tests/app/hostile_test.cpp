// Hostile input through the batch mode: formulas no student should type, files no program
// should have left in the data folder. Each case runs the program in a fresh data folder and
// checks that it exits 0, writes a trace of valid JSON lines with the expected outcome (the
// messages, whether a curve is drawn, the texts set) and leaves every file of the data folder
// as it was, or, where "Salva funzione" runs, with its old bytes followed by the one record.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr char kFormulaError[] = "Errore nella formula!";
constexpr char kNotComputable[] = "Funzione non calcolabile o non definita!";
constexpr char kNoIntegral[] = "Integrale non calcolabile,variare gli estremi di integrazione!";
constexpr char kArchiveNotSaved[] = "Impossibile salvare la funzione";

enum class Curve { None, Drawn, Any };

struct Case {
  Case(const char* name, std::function<std::string()> formula,
       std::map<std::string, std::string> folder, std::vector<std::string> commands,
       std::vector<std::string> messages, Curve curve,
       std::vector<std::pair<std::string, std::string>> texts = {},
       std::optional<std::string> appended = std::nullopt)
      : name(name),
        formula(std::move(formula)),
        folder(std::move(folder)),
        commands(std::move(commands)),
        messages(std::move(messages)),
        curve(curve),
        texts(std::move(texts)),
        appended(std::move(appended)) {}

  const char* name;
  std::function<std::string()> formula;       // the bytes of --formula-file, or none
  std::map<std::string, std::string> folder;  // the data folder's files before the run
  std::vector<std::string> commands;
  // What the trace must show.
  std::vector<std::string> messages;  // every message, in order (a prefix of a longer one)
  Curve curve;                        // red on the main drawing, or Any
  std::vector<std::pair<std::string, std::string>> texts;  // control texts set, in order
  // The archive's bytes added by "Salva funzione"; without it every file stays as it was.
  std::optional<std::string> appended;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

std::string Repeat(std::string_view s, std::size_t times) {
  std::string out;
  out.reserve(s.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += s;
  return out;
}

std::string Nested(std::string_view open, std::size_t depth) {
  return Repeat(open, depth) + "x" + std::string(depth, ')');
}

std::string Binary(std::size_t size) {
  std::string out;
  std::uint32_t state = 12345;
  for (std::size_t i = 0; i < size; ++i) {
    state = state * 1103515245u + 12345u;
    out.push_back(char(state >> 24));
  }
  return out;
}

// A bitmap header that claims 30000 x 30000 pixels at 32 bits, and no pixels.
std::string HugeBitmapHeader() {
  std::string h = "BM";
  auto le32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) h.push_back(char((v >> (8 * i)) & 0xFF));
  };
  le32(54 + 30000u * 30000u * 4u);
  le32(0);
  le32(54);
  le32(40);
  le32(30000);
  le32(30000);
  h += std::string("\x01\x00\x20\x00", 4);
  le32(0);
  le32(0);
  le32(2835);
  le32(2835);
  le32(0);
  le32(0);
  return h;
}

std::string Bytes(const char* s, std::size_t n) {
  return std::string(s, n);
}

const std::vector<std::string> kGraph = {"mGrafico"};

std::vector<Case> Cases() {
  const std::string tenMegabytes = "\"" + std::string(10 << 20, 'a') + "\"\r\n\"cos(x)\"\r\n";
  return {
      // Formulas.
      {"Formula1MB",
       [] { return Repeat("sin(x)+", (1 << 20) / 7) + "x"; },
       {},
       kGraph,
       {kFormulaError},
       Curve::None},
      {"Parentheses100000Deep",
       [] { return Nested("(", 100000); },
       {},
       kGraph,
       {kFormulaError},
       Curve::None},
      {"Calls10000Deep",
       [] { return Nested("sin(", 10000); },
       {},
       kGraph,
       {kFormulaError},
       Curve::None},
      {"NulByte", [] { return Bytes("sin(x)\0+1", 9); }, {}, kGraph, {kFormulaError}, Curve::None},
      {"LineBreak",
       [] { return std::string("sin(x)\r\n+1"); },
       {},
       kGraph,
       {kFormulaError},
       Curve::None},
      {"ControlCharacter",
       nullptr,
       {},
       {"Funzione=sin(x)\x01", "mGrafico"},
       {kFormulaError},
       Curve::None},
      {"TabIsABlank", nullptr, {}, {"Funzione=sin(\tx)", "mGrafico"}, {}, Curve::Drawn},
      {"InvalidUtf8",
       nullptr,
       {},
       {"Funzione=sin(x)\xFF\xFE", "mGrafico"},
       {kFormulaError},
       Curve::None},
      {"InvalidUtf8InText",
       nullptr,
       {},
       {"Funzione=IF(x>0,\"\xC3\x28\xFF\",x)", "mGrafico"},
       {},
       Curve::Drawn},
      {"Number1E999", nullptr, {}, {"Funzione=1E999*x", "mGrafico"}, {kFormulaError}, Curve::None},
      {"Number400Digits",
       nullptr,
       {},
       {"Funzione=1" + std::string(400, '0'), "mGrafico"},
       {kFormulaError},
       Curve::None},
      {"Number1EMinus999", nullptr, {}, {"Funzione=x*1E-999", "mGrafico"}, {}, Curve::Drawn},
      {"StudyOfANulFormula",
       [] { return Bytes("x\0", 2); },
       {},
       {"mStudio"},
       std::vector<std::string>(7, kFormulaError),  // once for each analysis
       Curve::None},
      {"SaveANulFormula",
       [] { return Bytes("sin(x)\0\"", 8); },
       {{"Archivio.txt", "\"x\"\r\n"}},
       {"mSalvaF"},
       {},
       Curve::None,
       {},
       Bytes("\"sin(x)\0\"\"\"\r\n", 13)},

      // The side windows.
      {"ValueAt1E999",
       nullptr,
       {},
       {"Funzione=x", "Valore.ValoreX=1E999", "Valore.Uguale"},
       {kNotComputable},
       Curve::None,
       {}},
      {"ValueAt1EMinus999",
       nullptr,
       {},
       {"Funzione=x+1", "Valore.ValoreX=1E-999", "Valore.Uguale"},
       {},
       Curve::None,
       {{"Valore.ValoreY", "1"}}},
      {"ValueOfInvalidUtf8Text",
       nullptr,
       {},
       {"Funzione=IF(x>0,\"\xFF\",x)", "Valore.ValoreX=1", "Valore.Uguale"},
       {},
       Curve::None,
       {{"Valore.ValoreY", "\xEF\xBF\xBD"}}},
      {"Segments1E15",
       nullptr,
       {},
       {"Funzione=x", "Integrale.Superiore=1", "Integrale.Segmenti=1E15", "Integrale.Uguale"},
       {kNoIntegral},
       Curve::None,
       {}},
      {"SegmentsHex",
       nullptr,
       {},
       {"Funzione=x", "Integrale.Superiore=1", "Integrale.Segmenti=&HFFFFFFFF", "Integrale.Uguale"},
       {kNoIntegral},
       Curve::None,
       {}},
      {"SegmentsMinus1E15",
       nullptr,
       {},
       {"Funzione=x", "Integrale.Superiore=1", "Integrale.Segmenti=-1E15", "Integrale.Uguale"},
       {kNoIntegral},
       Curve::None,
       {}},

      {"ValueOf100000Digits",
       nullptr,
       {},
       {"Funzione=x", "Valore.ValoreX=" + std::string(100000, '9'), "Valore.Uguale"},
       {kNotComputable},
       Curve::None},
      {"IntegralOverTheWholeDouble",
       nullptr,
       {},
       {"Funzione=x", "Integrale.Superiore=1E308", "Integrale.Inferiore=-1E308",
        "Integrale.Uguale"},
       {kNoIntegral},
       Curve::None},
      {"DiagramOverTheWholeDouble",
       nullptr,
       {},
       {"Funzione=x", "Integrale.Superiore=1E308", "Integrale.Inferiore=-1E308",
        "Integrale.Diagramma"},
       {},
       Curve::None},
      {"DiagramOfInfiniteLimits",
       nullptr,
       {},
       {"Funzione=x", "Integrale.Superiore=1E999", "Integrale.Inferiore=-1E999",
        "Integrale.Diagramma", "Integrale.Uguale"},
       {kNoIntegral},
       Curve::None},

      // The pointer and the drag: far outside the drawing, beyond the doubles, below a pixel.
      {"PointerFarOutsideAndOverARejectedFormula",
       nullptr,
       {},
       {"Funzione=x^2", "Tervano.Punta=1E300,-1E300", "Funzione=sin(x", "Tervano.Punta=316,217"},
       {},
       Curve::None,
       {{"Tervano.Coordinate", ""}, {"Tervano.Coordinate", ""}}},
      {"DragBeyondTheDoubles",
       nullptr,
       {},
       [] {
         std::vector<std::string> commands = {"Funzione=x", "m11"};
         for (int i = 0; i < 20; ++i) commands.push_back("Tervano.Trascina=-1E308,1E308");
         commands.push_back("Tervano.Punta=316,217");
         commands.push_back("m6");
         commands.push_back("Tervano.Punta=316,217");
         return commands;
       }(),
       {},
       Curve::Drawn,
       {{"Tervano.Coordinate", "x = 0   f(x) = 0"}}},
      {"DragByLessThanAnyPixel",
       nullptr,
       {},
       {"Funzione=x", "Tervano.Trascina=1E-300,-1E-300", "Tervano.Punta=316,217"},
       {},
       Curve::Drawn,
       {{"Tervano.Coordinate", "x = 0   f(x) = 0"}}},
      {"DragWithARejectedFormula",
       nullptr,
       {},
       {"Funzione=sin(x", "Tervano.Trascina=50,50"},
       std::vector<std::string>(8, kFormulaError),  // the graph and each analysis
       Curve::None},

      // Archives.
      {"BinaryArchive",
       nullptr,
       {{"Archivio.txt", Binary(1 << 16)}},
       {"mApri", "Archivio.Seleziona=x^2", "mGrafico"},
       {},
       Curve::Drawn,
       {{"Funzione", "x^2"}}},
      {"ArchiveWith10MBLine",
       nullptr,
       {{"Archivio.txt", tenMegabytes}},
       {"mApri", "Archivio.Seleziona=cos(x)", "mGrafico"},
       {},
       Curve::Drawn,
       {{"Funzione", "cos(x)"}}},
      {"ArchiveWithoutFinalLineBreak",
       nullptr,
       {{"Archivio.txt", "\"sin(x)\"\r\n\"x^3-x\""}},
       {"mApri", "Archivio.Seleziona=x^3-x", "mGrafico"},
       {},
       Curve::Drawn,
       {{"Funzione", "x^3-x"}}},
      {"ArchiveWithLoneCR",
       nullptr,
       {{"Archivio.txt", "\"tan(x)\"\r\"x/2\"\r"}},
       {"mApri", "Archivio.Seleziona=x/2", "mGrafico"},
       {},
       Curve::Drawn,
       {{"Funzione", "x/2"}}},
      {"ArchiveQuoteNeverClosed",
       nullptr,
       {{"Archivio.txt", "\"cos(x)\"\r\n\"sin(x"}},
       {"mApri", "Archivio.Seleziona=sin(x", "mGrafico"},
       {kFormulaError},
       Curve::None,
       {{"Funzione", "sin(x"}}},
      {"SaveAfterQuoteNeverClosed",
       nullptr,
       {{"Archivio.txt", "\"cos(x)\"\r\n\"sin(x"}},
       {"Funzione=x^4", "mSalvaF", "mApri", "Archivio.Seleziona=x^4", "mGrafico"},
       {},
       Curve::Drawn,
       {{"Funzione", "x^4"}},
       "\"\r\n\"x^4\"\r\n"},
      {"SaveAfterNoFinalLineBreak",
       nullptr,
       {{"Archivio.txt", "\"x^3-x\""}},
       {"Funzione=x^5", "mSalvaF", "mApri", "Archivio.Seleziona=x^5"},
       {},
       Curve::None,
       {{"Funzione", "x^5"}},
       "\r\n\"x^5\"\r\n"},
      {"ArchiveWithNulAndControls",
       nullptr,
       {{"Archivio.txt", Bytes("\"a\0b\x01\"\r\n\x7F\x1B[2J\r\n\"x+1\"\r\n", 20)}},
       {"mApri", "Archivio.Seleziona=x+1", "mGrafico"},
       {},
       Curve::Drawn,
       {{"Funzione", "x+1"}}},
      {"ArchiveInWindows1252",
       nullptr,
       {{"Archivio.txt", "\"citt\xE0\"\r\n"}},
       {"mApri", "Archivio.Seleziona=citt\xC3\xA0", "mGrafico"},
       {kFormulaError},
       Curve::None,
       {{"Funzione", "citt\xC3\xA0"}}},
      {"ArchiveIsAFolder",
       nullptr,
       {{"Archivio.txt/inside", "\"x\"\r\n"}},
       {"mApri", "Archivio.Seleziona=x", "Funzione=x^2", "mSalvaF"},
       {kArchiveNotSaved},
       Curve::None,
       {{"Funzione", "x"}}},
      {"PictureThatIsNoBitmap",
       nullptr,
       {{"Grafico.bmp", Binary(4096)}},
       {"mApri", "Archivio.Seleziona=sin(x)", "mGrafico"},
       {},
       Curve::Drawn,
       {{"Funzione", "sin(x)"}}},
      {"PictureOfHugeSize",
       nullptr,
       {{"Grafico.bmp", HugeBitmapHeader()}},
       {"mApri", "Archivio.Seleziona=sin(x)", "mGrafico"},
       {},
       Curve::Drawn,
       {{"Funzione", "sin(x)"}}},
  };
}

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

bool WriteFile(const QString& path, const std::string& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  return f.open(QIODevice::WriteOnly) &&
         f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

std::optional<std::string> ReadFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray b = f.readAll();
  return std::string(b.constData(), std::size_t(b.size()));
}

// Every file under `folder`, by its path inside it, with its bytes.
std::map<std::string, std::string> Snapshot(const QString& folder) {
  std::map<std::string, std::string> files;
  const QDir root(folder);
  std::function<void(const QString&)> walk = [&](const QString& dir) {
    for (const QFileInfo& info :
         QDir(dir).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
      if (info.isDir()) {
        walk(info.absoluteFilePath());
      } else {
        files[root.relativeFilePath(info.absoluteFilePath()).toStdString()] =
            ReadFile(info.absoluteFilePath()).value_or("<unreadable>");
      }
    }
  };
  walk(folder);
  return files;
}

std::string Shorten(const std::string& s) {
  return s.size() <= 80 ? s : s.substr(0, 80) + "... (" + std::to_string(s.size()) + " bytes)";
}

class Hostile : public ::testing::TestWithParam<Case> {};

TEST_P(Hostile, ExitsCleanlyWithTheExpectedOutcome) {
  const Case& c = GetParam();
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const QString data = tmp.filePath(QStringLiteral("data"));
  ASSERT_TRUE(QDir().mkpath(data));
  for (const auto& [name, bytes] : c.folder) ASSERT_TRUE(WriteFile(data + "/" + Q(name), bytes));
  const std::map<std::string, std::string> before = Snapshot(data);

  QStringList args = {QStringLiteral("--batch")};
  if (c.formula) {
    const QString formulaFile = tmp.filePath(QStringLiteral("formula.txt"));
    ASSERT_TRUE(WriteFile(formulaFile, c.formula()));
    args << QStringLiteral("--formula-file") << formulaFile;
  }
  const QString tracePath = tmp.filePath(QStringLiteral("trace.jsonl"));
  args << QStringLiteral("--trace") << tracePath;
  for (const std::string& command : c.commands) args << Q(command);

  QProcess program;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("CURVALIS_DATA_DIR"), data);
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  program.setProcessEnvironment(env);
  program.start(QStringLiteral(CURVALIS_PROGRAM), args);
  ASSERT_TRUE(program.waitForStarted(60000));
  // Far beyond what any case needs, also under the sanitizers: only a hang reaches it (CTest's
  // own timeout is the last resort).
  const bool finished = program.waitForFinished(240000);
  if (!finished) program.kill();
  ASSERT_TRUE(finished) << "the program did not end";
  const std::string errors = program.readAllStandardError().toStdString();
  ASSERT_EQ(program.exitStatus(), QProcess::NormalExit) << errors;
  EXPECT_EQ(program.exitCode(), 0) << errors;
  for (const char* report : {"runtime error", "Sanitizer", "QPainter::", "ASSERT"}) {
    EXPECT_EQ(errors.find(report), std::string::npos) << errors;
  }

  // The trace: valid JSON, line by line.
  const std::optional<std::string> trace = ReadFile(tracePath);
  ASSERT_TRUE(trace.has_value());
  std::vector<std::string> messages;
  std::vector<std::pair<std::string, std::string>> texts;
  bool curve = false;
  for (const QByteArray& line : QByteArray::fromStdString(*trace).split('\n')) {
    if (line.isEmpty()) continue;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << Shorten(line.toStdString());
    const QJsonObject op = doc.object();
    const QString kind = op.value("op").toString();
    if (kind == "message") messages.push_back(op.value("text").toString().toStdString());
    if (kind == "text") {
      texts.emplace_back(op.value("control").toString().toStdString(),
                         op.value("text").toString().toStdString());
    }
    if ((kind == "line" || kind == "point") && op.value("surface").toString() == "main" &&
        op.value("color").toString() == "#FF0000") {
      curve = true;
    }
  }
  ASSERT_EQ(messages.size(), c.messages.size()) << (messages.empty() ? "" : messages[0]);
  for (std::size_t i = 0; i < messages.size(); ++i) {
    EXPECT_EQ(messages[i].substr(0, c.messages[i].size()), c.messages[i]);
  }
  if (c.curve != Curve::Any) {
    EXPECT_EQ(curve, c.curve == Curve::Drawn);
  }
  std::size_t next = 0;  // the expected texts, in order, among all the texts set
  for (const auto& t : texts) {
    if (next < c.texts.size() && t == c.texts[next]) ++next;
  }
  EXPECT_EQ(next, c.texts.size()) << "missing text of " << c.texts[next].first << ": "
                                  << Shorten(c.texts[next].second);

  // The data folder: as it was, but for the record "Salva funzione" appends.
  std::map<std::string, std::string> after = Snapshot(data);
  if (c.appended) {
    std::string& archive = after["Archivio.txt"];
    const std::string old = before.count("Archivio.txt") ? before.at("Archivio.txt") : "";
    ASSERT_EQ(archive.compare(0, old.size(), old), 0) << "the old archive is not kept whole";
    EXPECT_EQ(archive.substr(old.size()), *c.appended);
    archive = old;
  }
  ASSERT_EQ(after.size(), before.size());
  for (const auto& [name, bytes] : before) {
    ASSERT_TRUE(after.count(name)) << name << " is gone";
    EXPECT_TRUE(after.at(name) == bytes) << name << " changed";
  }
}

// A formula file that cannot be read, or never ends, is a bad argument: exit 2 before
// anything runs, so no trace is written.
TEST(HostileFormulaFile, UnreadableIsABadArgument) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const char* paths[] = {"/dev/zero", "/", "/nonexistent/formula.txt"};
  for (const char* path : paths) {
    SCOPED_TRACE(path);
    const QString trace = tmp.filePath(QStringLiteral("trace.jsonl"));
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CURVALIS_DATA_DIR"), tmp.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(
        QStringLiteral(CURVALIS_PROGRAM),
        {QStringLiteral("--batch"), QStringLiteral("--formula-file"), QString::fromLatin1(path),
         QStringLiteral("--trace"), trace, QStringLiteral("mGrafico")});
    ASSERT_TRUE(program.waitForFinished(240000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_TRUE(program.readAllStandardError().contains("formula file"));
    EXPECT_FALSE(QFile::exists(trace));
  }
}

INSTANTIATE_TEST_SUITE_P(BatchMode, Hostile, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
