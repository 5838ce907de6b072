// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExportGridView.h"

#include "export/ExportGrid.h"
#include "kit/Colours.h"
#include "kit/Controls.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int TextInset = 2; // text starts this far from a cell's left and top edges
constexpr int EdgeGrip = 3;  // how near the number column's right edge a drag resizes it
constexpr int SmallestNumberColumn = 8;

// A fixed cell: sky blue, the grid's lines on its right and bottom edges, the text 2 pixels in.
void paintFixedCell(QPainter* painter, const QRect& rect, const QString& text, const QFont& font,
                    const QColor& lines)
{
    painter->save();
    painter->fillRect(rect, Kit::SkyBlue);
    painter->setPen(lines);
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->setClipRect(rect.adjusted(0, 0, -1, -1));
    painter->setFont(font);
    painter->setPen(Qt::black);
    painter->drawText(rect.adjusted(TextInset, TextInset, 0, 0),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter->restore();
}

QColor gridLineColour(const QTableView* view)
{
    QStyleOptionViewItem option;
    option.initFrom(view);
    return QColor::fromRgba(QRgb(view->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, view)));
}

class GridHeader final : public QHeaderView
{
public:
    GridHeader(Qt::Orientation orientation, QTableView* view)
        : QHeaderView(orientation, view)
        , m_view(view)
    {
        setSectionsClickable(false);
        setHighlightSections(false);
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        if (!rect.isValid() || !model())
            return;
        paintFixedCell(painter, rect, model()->headerData(logicalIndex, orientation()).toString(), font(),
                       gridLineColour(m_view));
    }

private:
    QTableView* m_view;
};

// Data cells: the row's colour whatever the selection, black text 2 pixels in and clipped to the cell,
// a one-pixel frame in the background colour; the current cell of a focused grid has a dotted frame.
class CellDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QColor background = ExportGridView::RowColour(index.row() + 1);
        const QRect& r = option.rect;
        painter->save();
        painter->fillRect(r, background);
        painter->setClipRect(r);
        painter->setFont(option.font);
        painter->setPen(Qt::black);
        painter->drawText(r.adjusted(TextInset, TextInset, 0, 0),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, index.data().toString());
        painter->setBrush(Qt::NoBrush);
        painter->setPen(background);
        painter->drawRect(r.adjusted(0, 0, -1, -1));
        if (option.state & QStyle::State_HasFocus) {
            QPen dots(Qt::black);
            dots.setStyle(Qt::DotLine);
            painter->setPen(dots);
            painter->drawRect(r.adjusted(0, 0, -1, -1));
        }
        painter->restore();
    }
};

} // namespace

ExportGridModel::ExportGridModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_grid(ExportGrid::DesignedEmpty())
{}

void ExportGridModel::SetGrid(TextGrid grid)
{
    beginResetModel();
    m_grid = std::move(grid);
    endResetModel();
}

int ExportGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : qMax(0, m_grid.RowCount() - 1);
}

int ExportGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : qMax(0, m_grid.ColumnCount() - 1);
}

QVariant ExportGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    return m_grid.Text(index.row() + 1, index.column() + 1);
}

QVariant ExportGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || section < 0)
        return {};
    if (orientation == Qt::Horizontal)
        return section + 1 < m_grid.ColumnCount() && m_grid.RowCount() > 0 ? m_grid.Text(0, section + 1)
                                                                           : QString();
    return section + 1 < m_grid.RowCount() && m_grid.ColumnCount() > 0 ? m_grid.Text(section + 1, 0)
                                                                       : QString();
}

Qt::ItemFlags ExportGridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

ExportGridView::ExportGridView(QWidget* parent)
    : QTableView(parent)
    , m_model(new ExportGridModel(this))
{
    setObjectName(u"grdRecords"_s);
    setHorizontalHeader(new GridHeader(Qt::Horizontal, this));
    setVerticalHeader(new GridHeader(Qt::Vertical, this));
    setModel(m_model);
    setItemDelegate(new CellDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    setMouseTracking(true);
    setAccessibleName(u"Archivio"_s);

    Kit::SetColour(this, QPalette::Base, Qt::white);
    Kit::SetColour(this, QPalette::Text, Qt::black);

    QHeaderView* rows = verticalHeader();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(RowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->viewport()->setMouseTracking(true);
    rows->viewport()->installEventFilter(this);
    QHeaderView* columns = horizontalHeader();
    columns->setMinimumSectionSize(SmallestNumberColumn);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setStretchLastSection(false);
    columns->setFixedHeight(RowHeight);
    // The top-left cell shows the number column's header and is its grip too.
    m_corner = findChild<QAbstractButton*>();
    if (m_corner) {
        m_corner->setMouseTracking(true);
        m_corner->installEventFilter(this);
    }
    SetGrid(ExportGrid::DesignedEmpty());
}

void ExportGridView::SetGrid(TextGrid grid)
{
    m_model->SetGrid(std::move(grid));
    const TextGrid& g = m_model->Grid();
    if (g.ColumnCount() > 0)
        SetNumberColumnWidth(g.ColumnWidth(0));
    for (int c = 1; c < g.ColumnCount(); ++c)
        horizontalHeader()->resizeSection(c - 1, g.ColumnWidth(c));
    // The first data cell is current, as in a grid just filled.
    if (m_model->rowCount() > 0 && m_model->columnCount() > 0)
        selectionModel()->setCurrentIndex(m_model->index(0, 0), QItemSelectionModel::ClearAndSelect);
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

QString ExportGridView::CurrentText() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? m_model->data(current).toString() : QString();
}

int ExportGridView::NumberColumnWidth() const
{
    return verticalHeader()->width();
}

void ExportGridView::SetNumberColumnWidth(int pixels)
{
    verticalHeader()->setFixedWidth(qMax(SmallestNumberColumn, pixels));
    updateGeometries();
}

bool ExportGridView::eventFilter(QObject* watched, QEvent* event)
{
    const bool isCorner = m_corner && watched == m_corner;
    if (isCorner && event->type() == QEvent::Paint) {
        QPainter painter(m_corner);
        const TextGrid& g = m_model->Grid();
        paintFixedCell(&painter, m_corner->rect(),
                       g.RowCount() > 0 && g.ColumnCount() > 0 ? g.Text(0, 0) : QString(), font(),
                       gridLineColour(this));
        return true;
    }
    if (!isCorner && watched != verticalHeader()->viewport())
        return QTableView::eventFilter(watched, event);

    // The number column's right edge, in the header or the corner, can be dragged like a column's. The
    // corner takes no clicks of its own (it would select every cell).
    auto* widget = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        if (isCorner)
            return true;
        break;
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && mouse->position().x() >= NumberColumnWidth() - EdgeGrip) {
            m_resizing = true;
            return true;
        }
        if (isCorner)
            return true;
        break;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_resizing) {
            SetNumberColumnWidth(int(mouse->position().x()));
            return true;
        }
        if (mouse->position().x() >= NumberColumnWidth() - EdgeGrip)
            widget->setCursor(Qt::SplitHCursor);
        else
            widget->unsetCursor();
        break;
    }
    case QEvent::MouseButtonRelease:
        if (m_resizing || isCorner) {
            m_resizing = false;
            return true;
        }
        break;
    case QEvent::Leave:
        if (!m_resizing)
            widget->unsetCursor();
        break;
    default:
        break;
    }
    return QTableView::eventFilter(watched, event);
}
