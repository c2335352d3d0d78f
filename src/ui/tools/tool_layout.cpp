#include "ui/tools/tool_layout.h"

#include <QFontMetrics>

namespace curvalis {

QFont ToolFont(qreal pointSize) {
  QFont font;
  font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(pointSize);
  return font;
}

void FitText(QWidget* w, const QString& text, qreal pointSize) {
  QFont font = ToolFont(pointSize);
  if (QFontMetrics(font).horizontalAdvance(text) > w->width()) {
    font.setFamilies(
        {QStringLiteral("Liberation Sans Narrow"), QStringLiteral("DejaVu Sans Condensed")});
  }
  w->setFont(font);
}

void MakeFixedToolWindow(QWidget* window, int clientWidthTwips, int clientHeightTwips) {
  window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint);
  window->setFixedSize(Twips(clientWidthTwips), Twips(clientHeightTwips));
  window->setFont(ToolFont());
}

}  // namespace curvalis
