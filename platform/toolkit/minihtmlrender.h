// Drawing and hit-testing the mini-HTML of cells with QPainter. Only the cells being painted are
// laid out; nothing is cached per cell.
#pragma once

#include "toolkit/minihtml.h"

#include <QColor>
#include <QFont>
#include <QRect>

#include <optional>
#include <string>

class QPainter;
class QPalette;

namespace qel::minihtml {

struct RenderStyle {
    QFont font;
    QColor color; // text outside <FONT> and anchors
    QColor linkColor { 0, 0, 255 }; // anchors
    QColor errorColor { 0xC0, 0, 0 }; // <E> text, underlined with a wave
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    int padding = 2; // horizontal inner margin
};

// A toolkit colour (0x00BBGGRR, system colours 0xFF0000nn) as QColor; NoColor gives `fallback`.
QColor ToQColor(std::int32_t color, const QColor& fallback, const QPalette& palette);

void Paint(QPainter& painter, const Document& doc, const QRect& rect, const RenderStyle& style);
// Size the document needs (without padding).
QSize Extent(const Document& doc, const RenderStyle& style);
// The href of the anchor under `pos`, or nullopt when the point is on no anchor.
std::optional<std::string> AnchorAt(
    const Document& doc, const QRect& rect, const RenderStyle& style, QPoint pos);

} // namespace qel::minihtml
