#include "toolkit/gridwidget.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

namespace qel::grid {

GridWidget::GridWidget(GridHost& host)
    : TBridgeWidget<GridView>(host, nullptr)
{
    viewport()->installEventFilter(this);
    viewport()->setMouseTracking(true);
    columnHeader().viewport()->installEventFilter(this);
    rowHeader().viewport()->installEventFilter(this);
}

QPoint GridWidget::viewportOffset() const
{
    return viewport()->geometry().topLeft();
}

bool GridWidget::eventFilter(QObject* watched, QEvent* event)
{
    auto* w = qobject_cast<QWidget*>(watched);
    const bool ours = w && (w == viewport() || w == columnHeader().viewport() || w == rowHeader().viewport());
    if (!ours || !grid())
        return GridView::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Resize: {
        const bool result = GridView::eventFilter(watched, event);
        if (w == viewport())
            grid()->viewportResized();
        return result;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        // The control sees the input at the place it has in the whole grid widget; the header's
        // own handling (resizing columns) runs as the message's default handling.
        auto* me = static_cast<QMouseEvent*>(event);
        const QPointF pos = QPointF(w->mapTo(this, me->position().toPoint()));
        QMouseEvent copy(me->type(), pos, me->scenePosition(), me->globalPosition(), me->button(),
            me->buttons(), me->modifiers(), me->pointingDevice());
        struct Context {
            GridHeader* header;
            QEvent* original;
        } context { nullptr, event };
        if (w == columnHeader().viewport())
            context.header = &columnHeader();
        else if (w == rowHeader().viewport())
            context.header = &rowHeader();
        const TQtDefault qtDefault { [](void* c, QEvent*) {
                                        auto* ctx = static_cast<Context*>(c);
                                        return ctx->header ? ctx->header->handleViewportEvent(ctx->original)
                                                           : true;
                                    },
            &context };
        Route(&copy, qtDefault);
        return true;
    }
    case QEvent::ToolTip: {
        auto* he = static_cast<QHelpEvent*>(event);
        const QPoint pos = w->mapTo(this, he->pos());
        const std::string hint = grid()->hintAt(pos.x(), pos.y());
        if (hint.empty())
            QToolTip::hideText();
        else
            QToolTip::showText(he->globalPos(), ToQString(hint), w);
        return true;
    }
    default:
        return GridView::eventFilter(watched, event);
    }
}

void GridWidget::keyPressEvent(QKeyEvent* event)
{
    // The control moves the current cell (KeyDown); the item view's own navigation stays out.
    event->accept();
}

void GridWidget::scrollContentsBy(int dx, int dy)
{
    GridView::scrollContentsBy(dx, dy);
    if (grid())
        grid()->placeEditor();
}

} // namespace qel::grid
