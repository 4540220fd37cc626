#include "app/qt/control_font.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

#include "window/layout.h"

namespace varnlink::app::qt {
namespace {

// Captions were sized for "MS Sans Serif" 8 point. Where it is missing, a
// stand-in of similar width is used, shrunk until the design's tightest
// one-line captions fit their controls (a check box's box takes ~20 pixels).
constexpr int kCheckBoxIndicatorPixels = 20;
constexpr window::ControlId kTightCaptions[] = {
    window::ControlId::kChosenFolderCaption,
    window::ControlId::kSelectedNamesCaption,
    window::ControlId::kWarnDuplicateArguments,
};

bool TightCaptionsFit(const QFont& font) {
  const QFontMetrics metrics(font);
  for (const window::ControlId id : kTightCaptions) {
    const window::Control& control = window::ControlOf(id);
    const int indicator =
        control.kind == window::ControlKind::kCheckBox ? kCheckBoxIndicatorPixels : 0;
    const QString caption = QString::fromUtf8(control.caption.data(),
                                              static_cast<qsizetype>(control.caption.size()));
    if (metrics.horizontalAdvance(caption) + indicator > window::ToPixels(control.rect).width)
      return false;
  }
  return true;
}

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
    if (TightCaptionsFit(font)) break;
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

}  // namespace varnlink::app::qt
