// The canvas's picture keeps one painter open across operations and paints texts printed again
// from glyphs shaped once: it must come out as the list of the same operations painted anew
// (every text shaped by drawText), and a picture read between operations must not change when
// more is painted afterwards.
#include <QtTest>
#include <functional>

#include "core/operation_list.h"
#include "ui/common/image_sink.h"
#include "ui/common/surface_view.h"

using namespace curvalis;

class ImageSinkTest : public QObject {
  Q_OBJECT

 private slots:
  void paintsAsTheListPaintedAnew() {
    using Step = std::function<void(SurfaceSink&)>;
    const Rgb red = Palette(12), blue = Palette(9);
    const Step line = [&](SurfaceSink& s) { s.OnLine(0.1f, 0.2f, 0.9f, 0.7f, red, 1); };
    const Step wideLine = [&](SurfaceSink& s) { s.OnLine(0.1f, 0.8f, 0.8f, 0.1f, blue, 3); };
    const Step bigDot = [&](SurfaceSink& s) { s.OnPoint(0.5f, 0.5f, red, 7); };
    const Step text = [&](SurfaceSink& s) {
      s.OnPrint(0.05f, 0.4f, blue, {PrintRun{1, "f(x)="}, PrintRun{7, "-3.142"}}, "");
    };
    // The same texts at places between whole pixels; texts left to drawText (right to left,
    // empty) and signs beyond Latin.
    const Step textElsewhere = [&](SurfaceSink& s) {
      s.OnPrint(0.3719f, 0.6137f, red, {PrintRun{1, "f(x)="}, PrintRun{3, "-3.142"}}, "");
    };
    const Step unusualText = [&](SurfaceSink& s) {
      s.OnPrint(0.1f, 0.2f, blue, {PrintRun{1, "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d x=1"}}, "");
      s.OnPrint(0.1f, 0.5f, blue, {PrintRun{1, ""}, PrintRun{2, "\xe2\x88\x9a(2) \xce\xb1"}}, "");
    };
    const Step whiteBack = [](SurfaceSink& s) { s.OnBackground(kWhite); };
    struct Row {
      const char* fault;
      std::vector<Step> steps;
    } rows[] = {
        {"a line after a wide one kept its pen", {wideLine, line, wideLine}},
        {"a line or an erase after a big dot was antialiased", {bigDot, line, whiteBack, line}},
        {"a text after a big dot or a line lost its pen", {bigDot, text, line, text}},
        {"a text printed again was placed elsewhere than drawText places it",
         {text, textElsewhere, whiteBack, text, textElsewhere}},
        {"a right-to-left or non-Latin text was painted wrong", {unusualText, text, unusualText}},
    };
    for (qreal ratio : {1.0, 2.0}) {
      for (const Row& row : rows) {
        const QByteArray what = QByteArray(row.fault) + " at ratio " + QByteArray::number(ratio);
        // `kept` is read only at the end, so its painter stays open across the whole row;
        // `read` is read after every operation.
        ImageSink kept(120, 50, ratio, kLightGrey), read(120, 50, ratio, kLightGrey);
        OperationList list(120, 50, kLightGrey);
        std::vector<std::pair<QImage, QImage>> reads;  // a picture read, and the list's then
        for (const Step& step : row.steps) {
          for (SurfaceSink* s : std::initializer_list<SurfaceSink*>{&kept, &read, &list}) {
            s->OnScale(Scale{0, 0, 1, 1});
            step(*s);
          }
          const bool logical = ratio == 1 && reads.size() % 2 == 1;
          reads.emplace_back(logical ? read.logicalImage() : read.image(),
                             PaintScaled(list, 1, ratio));
        }
        QVERIFY2(kept.image() == PaintScaled(list, 1, ratio), what.constData());
        for (const auto& [picture, expected] : reads) {
          QVERIFY2(picture == expected, (what + ": a picture read then differs now").constData());
        }
      }
    }
  }
};

QTEST_MAIN(ImageSinkTest)
#include "image_sink_test.moc"
