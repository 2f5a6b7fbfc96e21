// A grid of cells that its owner paints: the rows stand for items the owner
// keeps (layers, objects, presenters), so the grid holds no texts, only the
// row count, the current cell and the column widths. Painting a cell, a click
// and a double click go to the owner's handlers, and so does cell editing
// when the owner turns it on: the owner gives the text and the edit mask an
// editor starts with and takes every change of the editor's text.
#pragma once

#include <QStringList>
#include <QTableWidget>
#include <functional>
#include <initializer_list>

class TStringGrid : public QTableWidget {
    Q_OBJECT
public:
    // One column per width (pixels); no header rows or columns.
    TStringGrid(std::initializer_list<int> columnWidths, int rowHeight, QWidget* parent = nullptr);

    int RowCount() const { return rowCount(); }
    // Keeps the current row inside the new count.
    void SetRowCount(int rows);
    // The current row and column; -1 when the grid has no rows.
    int Row() const { return currentRow(); }
    int Col() const { return currentColumn(); }
    void SetRow(int row);
    void SetCol(int col);
    // The cell's rectangle in the viewport.
    QRect CellRect(int col, int row) const { return visualRect(model()->index(row, col)); }
    // The row under a point of the viewport; -1 below the last row.
    int RowAt(const QPoint& at) const { return rowAt(at.y()); }
    void Repaint() { viewport()->update(); }
    // A header row above the cells with these captions.
    void SetHeader(const QStringList& captions);
    // Typing, F2 or a double click on a cell opens its editor.
    void SetEditing(bool on);

    // Text of a cell as the grids of this program place it: 2 pixels from the
    // left edge, centred vertically on the height of "W".
    static void DrawCellText(QPainter& painter, const QRect& rect, const QString& text);

    // painter, column, row, cell rectangle, the cell is the current one.
    std::function<void(QPainter&, int, int, const QRect&, bool)> OnDrawCell;
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    // column, row: the text and the classic edit mask (EditMask.h) of a new
    // editor; column, row, text: the editor's text changed.
    std::function<QString(int, int)> OnGetEditText;
    std::function<QString(int, int)> OnGetEditMask;
    std::function<void(int, int, const QString&)> OnSetEditText;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_pressed = false;
};
