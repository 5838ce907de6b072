// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "export/TextGrid.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QTableView>

// The texts of a TextGrid as a table model. Grid row 0 (the headers) is the horizontal header and grid
// column 0 (the running numbers) the vertical header; model cell (r, c) is grid cell (r + 1, c + 1). The
// texts are the grid's own: no item per cell, nothing copied.
class ExportGridModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ExportGridModel(QObject* parent = nullptr);

    const TextGrid& Grid() const noexcept { return m_grid; }
    // Shows another grid (a model reset).
    void SetGrid(TextGrid grid);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    TextGrid m_grid;
};

// The export screen's read-only grid: a fixed header row and a fixed number column in sky blue, data rows
// in two alternating colours that a selection never changes, 24-pixel rows, columns the user may resize
// (the number column by dragging its right edge), no editing.
class ExportGridView final : public QTableView
{
    Q_OBJECT
public:
    static constexpr int RowHeight = 24;
    static inline const QColor OddRow{223, 235, 255}; // grid rows 1, 3, 5...
    static inline const QColor EvenRow{249, 255, 225};

    explicit ExportGridView(QWidget* parent = nullptr);

    const TextGrid& Grid() const noexcept { return m_model->Grid(); }
    ExportGridModel* Model() const noexcept { return m_model; }
    // Shows grid with its column widths, scrolled to the top, the current cell the first data cell.
    void SetGrid(TextGrid grid);
    // The text of the current cell (grid coordinates from 1, 1); empty when there is none.
    QString CurrentText() const;
    // The number column's width (the vertical header's).
    int NumberColumnWidth() const;
    void SetNumberColumnWidth(int pixels);

    static QColor RowColour(int gridRow) { return gridRow % 2 ? OddRow : EvenRow; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ExportGridModel* m_model;
    QWidget* m_corner = nullptr; // the top-left cell, over both headers
    bool m_resizing = false;     // the number column's edge is being dragged
};
