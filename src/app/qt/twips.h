#pragma once

// The window's controls are placed in twips, as designed; the screen is
// addressed in device-independent pixels at 15 twips per pixel (96 dpi).
// Qt's high-DPI scaling turns those into device pixels.

#include <QRect>
#include <QSize>

namespace varnlink::app {

inline constexpr int kTwipsPerPixel = 15;

[[nodiscard]] constexpr int TwipsToPixels(int twips) {
  return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

[[nodiscard]] inline QRect TwipsRect(int left, int top, int width, int height) {
  return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}

[[nodiscard]] inline QSize TwipsSize(int width, int height) {
  return {TwipsToPixels(width), TwipsToPixels(height)};
}

}  // namespace varnlink::app
