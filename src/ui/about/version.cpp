#include "ui/about/version.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <array>
#include <map>

namespace curvalis {

QString ApplicationTitle() {
  return QStringLiteral("Curvalis");
}

QString VersionLine() {
  return QStringLiteral("Versione %1.%2.%3")
      .arg(CURVALIS_VERSION_MAJOR)
      .arg(CURVALIS_VERSION_MINOR)
      .arg(CURVALIS_VERSION_PATCH);
}

namespace {

// The chart icon at the size asked for, each PNG read only when a size is first needed: a
// plain QIcon reads every file when it is built, which costs milliseconds at start-up.
class ChartIconEngine : public QIconEngine {
 public:
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
    // The smallest size at least as large as wanted, else the largest.
    const auto fit =
        std::lower_bound(kSizes.begin(), kSizes.end(), std::max(size.width(), size.height()));
    const int chosen = fit == kSizes.end() ? kSizes.back() : *fit;
    QPixmap& pm = m_cache[chosen];
    if (pm.isNull()) pm.load(FileFor(chosen));
    if (pm.size() == size || pm.isNull()) return pm;
    return pm.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }

  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    int side = std::min({size.width(), size.height(), kSizes.back()});
    return QSize(side, side);
  }

  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    QList<QSize> sizes;
    for (int s : kSizes) sizes << QSize(s, s);
    return sizes;
  }

  QIconEngine* clone() const override { return new ChartIconEngine(*this); }

 private:
  static constexpr std::array<int, 6> kSizes = {16, 32, 48, 64, 128, 256};
  static QString FileFor(int size) {
    return size == 256 ? QStringLiteral(":/icons/curvalis.png")
                       : QStringLiteral(":/icons/curvalis-%1.png").arg(size);
  }
  std::map<int, QPixmap> m_cache;
};

}  // namespace

QIcon ProgramIcon() {
  static const QIcon icon(new ChartIconEngine);
  return icon;
}

}  // namespace curvalis
