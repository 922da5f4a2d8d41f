#include "toolkit/minihtmlrender.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

#include <vector>

namespace qel::minihtml {
namespace {

struct Fragment {
    QRect box;
    QString text;
    QFont font;
    QColor color;
    int run = 0;
    bool wave = false;
};

QFont fontOf(const Run& run, const QFont& base)
{
    QFont f(base);
    if (run.style & Bold)
        f.setBold(true);
    if (run.style & Italic)
        f.setItalic(true);
    if ((run.style & Underline) || run.anchor >= 0)
        f.setUnderline(true);
    if (run.style & StrikeOut)
        f.setStrikeOut(true);
    return f;
}

// Lays the runs out in lines (split at <BR> and line feeds), aligned inside rect.
std::vector<Fragment> layout(const Document& doc, const QRect& rect, const RenderStyle& style, QSize* extent)
{
    struct Line {
        std::vector<Fragment> frags;
        int width = 0;
        int height = 0;
        int ascent = 0;
    };
    std::vector<Line> lines(1);
    const QFontMetrics baseMetrics(style.font);
    auto newLine = [&] { lines.emplace_back(); };
    for (std::size_t i = 0; i < doc.runs.size(); ++i) {
        const Run& run = doc.runs[i];
        if (run.lineBreak) {
            newLine();
            continue;
        }
        const QFont f = fontOf(run, style.font);
        const QFontMetrics fm(f);
        const QString all = QString::fromUtf8(run.text.data(), static_cast<qsizetype>(run.text.size()));
        const auto parts = all.split(QLatin1Char('\n'));
        for (qsizetype p = 0; p < parts.size(); ++p) {
            if (p > 0)
                newLine();
            if (parts[p].isEmpty())
                continue;
            Fragment frag;
            frag.text = parts[p];
            frag.font = f;
            frag.run = static_cast<int>(i);
            frag.wave = (run.style & Error) != 0;
            if (run.anchor >= 0)
                frag.color = style.linkColor;
            else if (frag.wave)
                frag.color = style.errorColor;
            else
                frag.color = ToQColor(run.color, style.color, QPalette());
            const int w = fm.horizontalAdvance(frag.text);
            Line& line = lines.back();
            frag.box = QRect(line.width, 0, w, fm.height());
            line.width += w;
            line.ascent = std::max(line.ascent, fm.ascent());
            line.height = std::max(line.height, fm.height());
            line.frags.push_back(std::move(frag));
        }
    }
    int totalHeight = 0, maxWidth = 0;
    for (auto& line : lines) {
        if (line.height == 0) {
            line.height = baseMetrics.height();
            line.ascent = baseMetrics.ascent();
        }
        totalHeight += line.height;
        maxWidth = std::max(maxWidth, line.width);
    }
    if (extent)
        *extent = QSize(maxWidth, totalHeight);

    const QRect inner = rect.adjusted(style.padding, 0, -style.padding, 0);
    int y = inner.top();
    if (style.align & Qt::AlignVCenter)
        y += (inner.height() - totalHeight) / 2;
    else if (style.align & Qt::AlignBottom)
        y += inner.height() - totalHeight;
    std::vector<Fragment> result;
    for (auto& line : lines) {
        int x = inner.left();
        if (style.align & Qt::AlignRight)
            x += inner.width() - line.width;
        else if (style.align & Qt::AlignHCenter)
            x += (inner.width() - line.width) / 2;
        for (auto& frag : line.frags) {
            const QFontMetrics fm(frag.font);
            // Baseline-align runs of different fonts.
            frag.box.translate(x, y + line.ascent - fm.ascent());
            result.push_back(std::move(frag));
        }
        y += line.height;
    }
    return result;
}

} // namespace

QColor ToQColor(std::int32_t color, const QColor& fallback, const QPalette& palette)
{
    if (color == NoColor || color == 0x20000000)
        return fallback;
    const auto u = static_cast<std::uint32_t>(color);
    if ((u & 0xFF000000u) == 0xFF000000u) {
        switch (u & 0xFF) {
        case 2: // active caption
        case 13: // highlight
            return palette.color(QPalette::Highlight);
        case 27: // gradient active caption: the lighter selection tone
            return palette.color(QPalette::Highlight).lighter(160);
        case 14:
            return palette.color(QPalette::HighlightedText);
        case 5:
            return palette.color(QPalette::Base);
        case 8:
            return palette.color(QPalette::Text);
        case 15:
            return palette.color(QPalette::Button);
        case 16:
            return palette.color(QPalette::Mid);
        case 17:
            return palette.color(QPalette::Disabled, QPalette::Text);
        case 18:
            return palette.color(QPalette::ButtonText);
        case 24:
            return palette.color(QPalette::ToolTipBase);
        case 26:
            return palette.color(QPalette::Link);
        default:
            return fallback;
        }
    }
    return QColor(
        static_cast<int>(u & 0xFF), static_cast<int>((u >> 8) & 0xFF), static_cast<int>((u >> 16) & 0xFF));
}

void Paint(QPainter& painter, const Document& doc, const QRect& rect, const RenderStyle& style)
{
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    for (const auto& frag : layout(doc, rect, style, nullptr)) {
        painter.setFont(frag.font);
        painter.setPen(frag.color);
        const QFontMetrics fm(frag.font);
        painter.drawText(QPoint(frag.box.left(), frag.box.top() + fm.ascent()), frag.text);
        if (frag.wave) {
            QPainterPath wave;
            const int y = frag.box.top() + fm.ascent() + 2;
            wave.moveTo(frag.box.left(), y);
            for (int x = frag.box.left(); x < frag.box.right(); x += 2)
                wave.lineTo(x + 2, y + ((x - frag.box.left()) / 2 % 2 ? 0 : 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(wave);
        }
    }
    painter.restore();
}

QSize Extent(const Document& doc, const RenderStyle& style)
{
    QSize size;
    layout(doc, QRect(0, 0, 0, 0), style, &size);
    return size;
}

std::optional<std::string> AnchorAt(
    const Document& doc, const QRect& rect, const RenderStyle& style, QPoint pos)
{
    if (doc.anchors.empty())
        return std::nullopt;
    for (const auto& frag : layout(doc, rect, style, nullptr)) {
        const int anchor = doc.runs[static_cast<std::size_t>(frag.run)].anchor;
        if (anchor >= 0 && frag.box.contains(pos))
            return doc.anchors[static_cast<std::size_t>(anchor)];
    }
    return std::nullopt;
}

} // namespace qel::minihtml
