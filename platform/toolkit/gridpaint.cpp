// Painting of grid cells (screen and paged devices) and anchor hit-testing, which must agree with
// the painting on where each text lands.
#include "toolkit/flagscope.h"
#include "toolkit/gridcontrol.h"

#include "toolkit/gridwidget.h"
#include "toolkit/minihtml.h"
#include "toolkit/minihtmlrender.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <stdexcept>

using qel::grid::CellLook;
namespace html = qel::minihtml;

using qel::grid::kGlyphSize;
using qel::grid::kLevelIndent;

namespace {

QRect toQRect(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}
} // namespace

TGridDrawState TCustomGrid::drawState(int col, int row) const
{
    TGridDrawState state;
    if (col < fixedCols_ || row < FixedRows()) {
        state << gdFixed;
        return state;
    }
    if (printing_)
        return state;
    const bool current = col == col_ && row == row_;
    const bool rowSelected = store_.rowSelected(RealRowIndex(row))
        && (options_.Contains(goRowSelect) || disjunctRowSelect_ || store_.selectedRowCount() > 1);
    if (current || rowSelected || (options_.Contains(goRowSelect) && row == row_))
        state << gdSelected;
    if (current && !options_.Contains(goRowSelect) && gridWidget_->hasFocus())
        state << gdFocused;
    return state;
}

void TCustomGrid::computeLook(int col, int row, TGridDrawState state, CellLook& look)
{
    const int real = RealRowIndex(row);
    const bool fixed = state.Contains(gdFixed);
    TBrush brush;
    brush.SetColor(fixed ? fixedColor_ : Color());
    TFont font;
    font.Assign(Font());
    const auto style = store_.cellStyle(col, real);
    if (style.color != qel::grid::NoColor)
        brush.SetColor(static_cast<TColor>(style.color));
    if (style.fontColor != qel::grid::NoColor)
        font.SetColor(static_cast<TColor>(style.fontColor));
    if (style.fontStyle >= 0)
        font.SetStyle(TFontStyles::FromInt(static_cast<std::uint64_t>(style.fontStyle)));
    if (state.Contains(gdSelected)) {
        brush.SetColor(selectionColor_);
        font.SetColor(selectionTextColor_);
    }
    GetCellColor(col, row, state, &brush, &font);
    look.background = ToQColor(brush.Color());
    look.text = ToQColor(font.Color());
    look.link = state.Contains(gdSelected) ? look.text : ToQColor(urlColor_);
    look.font = ToQFont(font);

    TAlignment h = taLeftJustify;
    TVerticalAlignment v = taVerticalCenter;
    GetCellAlign(col, row, h, v);
    look.align = (h == taRightJustify    ? Qt::AlignRight
                         : h == taCenter ? Qt::AlignHCenter
                                         : Qt::AlignLeft)
        | (v == taAlignTop           ? Qt::AlignTop
                : v == taAlignBottom ? Qt::AlignBottom
                                     : Qt::AlignVCenter);

    look.indent = 0;
    look.glyphX = -1;
    if (store_.nodeCount() > 0 && !fixed && col == nextVisibleCol(fixedCols_ - 1, 1)) {
        const int level = store_.nodeLevel(real);
        look.indent = level * kLevelIndent + kGlyphSize + 6;
        if (store_.isNode(real) && store_.nodeSpan(real) > 1) {
            look.glyphX = 2 + level * kLevelIndent;
            look.contracted = store_.nodeContracted(real);
        }
    }
}

void TCustomGrid::paintGridCell(QPainter& painter, int col, int row, const QRect& rect)
{
    QPainter* outer = painter_;
    painter_ = &painter;
    DrawCell(col, row, Bounds(rect.x(), rect.y(), rect.width(), rect.height()), drawState(col, row));
    painter_ = outer;
}

void TCustomGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state)
{
    if (painter_)
        defaultDrawCell(*painter_, col, row, toQRect(rect), state);
}

void TCustomGrid::defaultDrawCell(
    QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state)
{
    CellLook look;
    computeLook(col, row, state, look);
    painter.save();
    painter.fillRect(rect, look.background);

    const bool fixed = state.Contains(gdFixed);
    painter.setPen(fixed ? ToQColor(clBtnShadow) : ToQColor(gridLineColor_));
    if (options_.Contains(fixed ? goFixedVertLine : goVertLine))
        painter.drawLine(rect.topRight(), rect.bottomRight());
    if (options_.Contains(fixed ? goFixedHorzLine : goHorzLine))
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());

    if (look.glyphX >= 0) {
        const QRect box(rect.left() + look.glyphX, rect.top() + (rect.height() - kGlyphSize) / 2,
            kGlyphSize - 1, kGlyphSize - 1);
        painter.setPen(look.text);
        painter.fillRect(box, Qt::white);
        painter.drawRect(box);
        const int mid = box.top() + box.height() / 2, midX = box.left() + box.width() / 2;
        painter.drawLine(box.left() + 2, mid, box.right() - 2, mid);
        if (look.contracted)
            painter.drawLine(midX, box.top() + 2, midX, box.bottom() - 2);
    }

    // The sort mark: a small triangle at the right of the last fixed row's cell, pointing up for
    // ascending and down for descending order.
    int markRoom = 0;
    if (const int mark = fixed && row == FixedRows() - 1 && !printing_ ? SortMark(col) : 0;
        mark != 0 && rect.width() > 3 * kGlyphSize) {
        markRoom = kGlyphSize + 6;
        const int x = rect.right() - kGlyphSize - 4, y = rect.top() + (rect.height() - kGlyphSize / 2) / 2;
        QPolygon triangle;
        if (mark > 0)
            triangle << QPoint(x, y + kGlyphSize / 2) << QPoint(x + kGlyphSize - 1, y + kGlyphSize / 2)
                     << QPoint(x + kGlyphSize / 2, y);
        else
            triangle << QPoint(x, y) << QPoint(x + kGlyphSize - 1, y)
                     << QPoint(x + kGlyphSize / 2, y + kGlyphSize / 2);
        painter.setPen(Qt::NoPen);
        painter.setBrush(look.text);
        painter.drawPolygon(triangle);
    }

    html::RenderStyle style;
    style.font = look.font;
    style.color = look.text;
    style.linkColor = look.link;
    style.align = look.align;
    const QRect textRect = rect.adjusted(look.indent, 0, -1 - markRoom, -1);
    html::Paint(painter, html::Parse(store_.text(col, RealRowIndex(row))), textRect, style);

    if (state.Contains(gdFocused)) {
        QPen pen(look.text);
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect.adjusted(1, 1, -2, -2));
    }
    painter.restore();
}

bool TCustomGrid::anchorAt(int col, int row, int x, int y, std::string* href)
{
    int real = RealRowIndex(row);
    if (const auto* m = store_.mergeAt(col, real)) {
        col = m->col;
        real = m->row;
        row = DisplRowIndex(real);
    }
    const std::string_view text = store_.text(col, real);
    if (row < 0 || text.find('<') == std::string::npos)
        return false;
    const auto doc = html::Parse(text);
    if (doc.anchors.empty())
        return false;
    CellLook look;
    computeLook(col, row, drawState(col, row), look);
    html::RenderStyle style;
    style.font = look.font;
    style.align = look.align;
    const QRect rect = toQRect(CellRect(col, row)).adjusted(look.indent, 0, -1, -1);
    auto hit = html::AnchorAt(doc, rect, style, QPoint(x, y));
    if (hit && href)
        *href = *hit;
    return hit.has_value();
}

bool TCustomGrid::IsCellTruncated(int col, int row)
{
    const TRect r = CellRect(col, row);
    if (r.Width() <= 0)
        return false;
    CellLook look;
    computeLook(col, row, drawState(col, row), look);
    html::RenderStyle style;
    style.font = look.font;
    const QSize need = html::Extent(html::Parse(store_.text(col, RealRowIndex(row))), style);
    return need.width() + 2 * style.padding + look.indent > r.Width() || need.height() > r.Height();
}

void TCustomGrid::PaintPages(QPagedPaintDevice& device, const std::string& title)
{
    QPainter painter(&device);
    if (!painter.isActive())
        throw std::runtime_error("Die Druckausgabe kann nicht geöffnet werden.");
    std::vector<int> cols;
    int totalWidth = 0;
    for (int c = 0; c < ColCount(); ++c)
        if (!store_.colHidden(c)) {
            cols.push_back(c);
            totalWidth += store_.colWidth(c);
        }
    const double pageW = device.width(), pageH = device.height();
    const double scale = totalWidth > pageW ? pageW / totalWidth : 1.0;
    painter.scale(scale, scale);
    const int logicalH = static_cast<int>(pageH / scale);
    const int rowH = defaultRowHeight_;
    TFlagScope printing(printing_);

    int y = 0;
    auto drawTitle = [&] {
        if (title.empty())
            return;
        QFont f = ToQFont(Font());
        f.setBold(true);
        f.setPointSize(f.pointSize() + 3);
        painter.setFont(f);
        painter.setPen(Qt::black);
        painter.drawText(
            QRect(0, 0, totalWidth, 2 * rowH), Qt::AlignLeft | Qt::AlignVCenter, ToQString(title));
        y = 2 * rowH;
    };
    auto drawRow = [&](int row) {
        int x = 0;
        const int real = RealRowIndex(row);
        for (std::size_t i = 0; i < cols.size(); ++i) {
            const int c = cols[i];
            const int w = store_.colWidth(c);
            const auto* m = store_.mergeAt(c, real);
            if (m && (m->col != c || m->row != real)) {
                x += w;
                continue; // covered by a merge painted at its base cell
            }
            int spanW = w, spanH = rowH;
            if (m) {
                for (std::size_t k = i + 1; k < cols.size() && cols[k] < m->col + m->spanX; ++k)
                    spanW += store_.colWidth(cols[k]);
                int shown = 0;
                for (int r = m->row; r < m->row + m->spanY; ++r)
                    shown += store_.rowShown(r) ? 1 : 0;
                spanH = std::max(1, shown) * rowH;
            }
            paintGridCell(painter, c, row, QRect(x, y, spanW, spanH));
            x += w;
        }
        y += rowH;
    };
    auto startPage = [&] {
        y = 0;
        drawTitle();
        for (int r = 0; r < FixedRows(); ++r)
            drawRow(r);
    };
    startPage();
    for (int row = FixedRows(); row < DisplRowCount(); ++row) {
        if (y + rowH > logicalH && y > rowH * (FixedRows() + (title.empty() ? 0 : 2))) {
            device.newPage();
            startPage();
        }
        drawRow(row);
    }
}
