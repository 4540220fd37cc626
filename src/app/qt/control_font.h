#pragma once

// The font of the window's controls and the line breaks of their captions.

#include <QFont>
#include <QFontMetrics>
#include <QString>

namespace varnlink::app::qt {

// "MS Sans Serif" 8 point where installed; else a sans-serif stand-in sized so
// that the design's captions fit their controls.
[[nodiscard]] QFont ControlFont();

// `caption` broken into lines at blanks so that each line fits `width` pixels.
[[nodiscard]] QString WrappedCaption(const QString& caption, const QFontMetrics& metrics,
                                     int width);

}  // namespace varnlink::app::qt
