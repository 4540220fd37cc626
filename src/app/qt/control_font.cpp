#include "app/qt/control_font.h"

#include <QFontDatabase>
#include <QStringList>
#include <QFontMetrics>

#include "app/qt/twips.h"

namespace varnlink::app {
namespace {

// Captions were sized for "MS Sans Serif" 8 point. Where it is missing, a
// stand-in of similar width is used, shrunk until the design's tightest
// one-line captions fit their controls (a check box's box takes ~20 pixels).
struct TightCaption {
  const char* text;
  int width_twips;
  int indicator_pixels;
};
constexpr TightCaption kTightCaptions[] = {
    {"Directory Selected", 1455, 0},
    {"Shortcuts Selected", 1575, 0},
    {"Warn of Duplicate Targets WITH Duplicate Parameter Strings", 4815, 20},
};

}  // namespace

QFont ControlFont() {
  if (QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif"))) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    return font;
  }
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  for (const char* family : {"Arial", "Liberation Sans", "Nimbus Sans"}) {
    if (QFontDatabase::hasFamily(QString::fromLatin1(family))) {
      font = QFont(QString::fromLatin1(family));
      break;
    }
  }
  for (double points = 8.0; points >= 6.0; points -= 0.25) {
    font.setPointSizeF(points);
    const QFontMetrics metrics(font);
    bool fits = true;
    for (const TightCaption& caption : kTightCaptions) {
      fits = fits && metrics.horizontalAdvance(QString::fromLatin1(caption.text)) +
                             caption.indicator_pixels <=
                         TwipsToPixels(caption.width_twips);
    }
    if (fits) break;
  }
  return font;
}

// A caption broken into lines at blanks so that each fits `width` pixels, as
// the design's tall option buttons and check boxes show theirs. The text
// itself is unchanged but for the line breaks.
QString WrappedCaption(const QString& caption, const QFontMetrics& metrics, int width) {
  QString wrapped;
  QString line;
  for (const QString& word : caption.split(QLatin1Char(' '))) {
    const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
    if (!line.isEmpty() && metrics.horizontalAdvance(candidate) > width) {
      wrapped += line + QLatin1Char('\n');
      line = word;
    } else {
      line = candidate;
    }
  }
  return wrapped + line;
}

}  // namespace varnlink::app
