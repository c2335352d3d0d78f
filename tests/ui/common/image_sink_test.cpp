// The canvas's picture keeps one painter open across operations and paints repeated texts from
// glyphs shaped once: it must paint the pixels of a fresh painter per operation with every text
// shaped by drawText, and a picture read between operations must not change when more is
// painted afterwards.
#include <QFontMetricsF>
#include <QtTest>
#include <functional>

#include "core/surface.h"
#include "io/drawing_painter.h"
#include "ui/common/image_sink.h"

using namespace curvalis;

namespace {

// The picture as painted with a new painter for every operation, each text through drawText.
class FreshPainterSink : public SurfaceSink {
 public:
  FreshPainterSink(int width, int height, qreal ratio, Rgb background)
      : m_width(width),
        m_height(height),
        m_drawing(width, height),
        m_image(int(width * ratio), int(height * ratio), QImage::Format_RGB32),
        m_background(background) {
    m_image.setDevicePixelRatio(ratio);
    m_image.fill(QColor(background.r, background.g, background.b));
  }
  const QImage& image() const { return m_image; }

  void OnBackground(Rgb color) override {
    m_background = color;
    OnClear();
  }
  void OnClear() override {
    QPainter p(&m_image);
    m_drawing.Erase(p, m_background);
  }
  void OnScale(const Scale& scale) override {
    m_scale = scale;
    m_drawing.setScale(scale);
  }
  void OnLine(float x1, float y1, float x2, float y2, Rgb color, int width) override {
    QPainter p(&m_image);
    m_drawing.Line(p, x1, y1, x2, y2, color, width);
  }
  void OnPoint(float x, float y, Rgb color, int width) override {
    QPainter p(&m_image);
    m_drawing.Point(p, x, y, color, width);
  }
  void OnPrint(float x, float y, Rgb color, const std::vector<PrintRun>& runs,
               const std::string&) override {
    const double px = (x - m_scale.left) / (double(m_scale.right) - m_scale.left) * m_width;
    const double py = (y - m_scale.top) / (double(m_scale.bottom) - m_scale.top) * m_height;
    const QFont font = DrawingPainter::CanvasFont();
    QPainter p(&m_image);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(font);
    p.setPen(QColor(color.r, color.g, color.b));
    for (const PrintRun& run : runs) {
      p.drawText(QPointF(px + (run.column - 1) * m_drawing.columnWidth(),
                         py + QFontMetricsF(font).ascent()),
                 QString::fromStdString(run.text));
    }
  }

 private:
  int m_width;
  int m_height;
  Scale m_scale;
  DrawingPainter m_drawing;
  QImage m_image;
  Rgb m_background;
};

using Step = std::function<void(SurfaceSink&)>;

}  // namespace

class ImageSinkTest : public QObject {
  Q_OBJECT

 private slots:
  void onePainterPaintsAsAPainterPerOperation() {
    const Rgb red = Palette(12), blue = Palette(9), white = kWhite;
    const Step line = [&](SurfaceSink& s) { s.OnLine(0.1f, 0.2f, 0.9f, 0.7f, red, 1); };
    const Step wideLine = [&](SurfaceSink& s) { s.OnLine(0.1f, 0.8f, 0.8f, 0.1f, blue, 3); };
    const Step dot = [&](SurfaceSink& s) { s.OnPoint(0.3f, 0.3f, blue, 2); };
    const Step bigDot = [&](SurfaceSink& s) { s.OnPoint(0.5f, 0.5f, red, 7); };
    const Step text = [&](SurfaceSink& s) {
      s.OnPrint(0.05f, 0.4f, blue, {PrintRun{1, "f(x)="}, PrintRun{7, "-3.142"}}, "");
    };
    // The same texts again at other places, between whole pixels, and texts left to drawText.
    const Step textElsewhere = [&](SurfaceSink& s) {
      s.OnPrint(0.3719f, 0.6137f, red, {PrintRun{1, "f(x)="}, PrintRun{3, "-3.142"}}, "");
      s.OnPrint(0.0f, 0.1f, red, {PrintRun{2, "-3.142"}}, "");
    };
    const std::string hebrew = "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d x=1";
    const std::string signs = "\xe2\x88\x9a(2) \xce\xb1 \xc3\xa8";  // a root, alpha, e grave
    const Step unusualText = [&](SurfaceSink& s) {
      s.OnPrint(0.1f, 0.2f, blue, {PrintRun{1, hebrew}}, "");
      s.OnPrint(0.1f, 0.5f, blue, {PrintRun{1, ""}, PrintRun{2, signs}}, "");
    };
    const Step clear = [](SurfaceSink& s) { s.OnClear(); };
    const Step whiteBack = [&](SurfaceSink& s) { s.OnBackground(white); };
    struct Row {
      const char* fault;
      std::vector<Step> steps;
    } rows[] = {
        {"a line after a wide one kept its pen", {wideLine, line, wideLine}},
        {"a line after a big dot was antialiased or had no pen", {bigDot, line, dot}},
        {"an erase after a big dot was antialiased", {bigDot, whiteBack, line}},
        {"a text after a big dot lost its pen", {bigDot, text, bigDot, text}},
        {"a clear between texts left a text", {text, clear, text, wideLine}},
        {"a line after a text was painted with the text's pen", {text, line, dot, text}},
        {"a text shaped before was placed elsewhere than drawText places it",
         {text, textElsewhere, text, textElsewhere}},
        {"a right-to-left, empty or non-Latin text was painted wrong",
         {unusualText, text, unusualText}},
    };
    for (qreal ratio : {1.0, 2.0}) {
      for (const Row& row : rows) {
        const QByteArray what = QByteArray(row.fault) + " at ratio " + QByteArray::number(ratio);
        // `kept` is read only at the end, so its painter stays open across the whole row;
        // `read` is read after every operation.
        ImageSink kept(120, 50, ratio, kLightGrey), read(120, 50, ratio, kLightGrey);
        FreshPainterSink fresh(120, 50, ratio, kLightGrey);
        std::vector<SurfaceSink*> sinks{&kept, &read, &fresh};
        std::vector<std::pair<QImage, QImage>> reads;  // a picture read, and the fresh one then
        for (SurfaceSink* s : sinks) s->OnScale(Scale{0, 0, 1, 1});
        for (const Step& step : row.steps) {
          for (SurfaceSink* s : sinks) step(*s);
          const bool logical = ratio == 1 && reads.size() % 2 == 1;
          reads.emplace_back(logical ? read.logicalImage() : read.image(), fresh.image().copy());
        }
        QVERIFY2(kept.image() == fresh.image(), what.constData());
        for (const auto& [picture, expected] : reads) {
          QVERIFY2(picture == expected, (what + ": a picture read then differs now").constData());
        }
      }
    }
  }
};

QTEST_MAIN(ImageSinkTest)
#include "image_sink_test.moc"
