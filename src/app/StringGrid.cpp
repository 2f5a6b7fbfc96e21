#include "app/StringGrid.h"

#include "app/EditMask.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Hands the painting of every cell to the grid's owner.
class TCellPainter : public QStyledItemDelegate {
public:
    explicit TCellPainter(TStringGrid& grid)
        : QStyledItemDelegate(&grid)
        , m_grid(grid)
    {
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool current = index.row() == m_grid.Row() && index.column() == m_grid.Col();
        painter->save();
        painter->setClipRect(option.rect);
        painter->fillRect(option.rect, current && m_grid.hasFocus() ? option.palette.highlight()
                                                                   : option.palette.base());
        painter->setPen(current && m_grid.hasFocus() ? option.palette.highlightedText().color()
                                                     : option.palette.text().color());
        painter->setFont(option.font);
        if (m_grid.OnDrawCell)
            m_grid.OnDrawCell(*painter, index.column(), index.row(), option.rect, current);
        painter->restore();
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        if (!m_grid.OnGetEditText)
            return nullptr;
        const int col = index.column(), row = index.row();
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        ApplyEditMask(*editor, m_grid.OnGetEditMask ? m_grid.OnGetEditMask(col, row) : QString());
        editor->setText(m_grid.OnGetEditText(col, row));
        TStringGrid* grid = &m_grid;
        connect(editor, &QLineEdit::textEdited, editor, [grid, col, row](const QString& text) {
            if (grid->OnSetEditText)
                grid->OnSetEditText(col, row, text);
        });
        return editor;
    }
    // The editor holds its own text from the start; the grid keeps none.
    void setEditorData(QWidget*, const QModelIndex&) const override { }
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override { }

private:
    TStringGrid& m_grid;
};

} // namespace

TStringGrid::TStringGrid(std::initializer_list<int> columnWidths, int rowHeight, QWidget* parent)
    : QTableWidget(0, static_cast<int>(columnWidths.size()), parent)
{
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    verticalHeader()->setMinimumSectionSize(1);
    int column = 0;
    for (int width : columnWidths)
        setColumnWidth(column++, width);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setDragEnabled(false);
    setItemDelegate(new TCellPainter(*this));
    connect(this, &QTableWidget::currentCellChanged, this, [this] { viewport()->update(); });
}

void TStringGrid::SetRowCount(int rows)
{
    const int row = Row();
    const int col = std::max(Col(), 0);
    setRowCount(std::max(rows, 0));
    if (rows > 0 && (row < 0 || row >= rows))
        setCurrentCell(std::clamp(row, 0, rows - 1), col);
    Repaint();
}

void TStringGrid::SetHeader(const QStringList& captions)
{
    setHorizontalHeaderLabels(captions);
    horizontalHeader()->show();
}

void TStringGrid::SetEditing(bool on)
{
    setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed
                       : QAbstractItemView::NoEditTriggers);
}

void TStringGrid::SetRow(int row)
{
    if (row >= 0 && row < rowCount())
        setCurrentCell(row, std::max(Col(), 0));
}

void TStringGrid::SetCol(int col)
{
    if (col >= 0 && col < columnCount() && rowCount() > 0)
        setCurrentCell(std::max(Row(), 0), col);
}

void TStringGrid::DrawCellText(QPainter& painter, const QRect& rect, const QString& text)
{
    const QFontMetrics metrics(painter.font());
    const int top = rect.top() + (rect.height() - metrics.height()) / 2;
    painter.drawText(rect.left() + 2, top + metrics.ascent(), text);
}

void TStringGrid::mousePressEvent(QMouseEvent* event)
{
    QTableWidget::mousePressEvent(event);
    m_pressed = event->button() == Qt::LeftButton;
}

void TStringGrid::mouseReleaseEvent(QMouseEvent* event)
{
    QTableWidget::mouseReleaseEvent(event);
    // A click is a press and a release on the grid, as a user means it.
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->pos());
    m_pressed = false;
    if (click && OnClick)
        OnClick();
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && OnDblClick)
        OnDblClick();
}

void TStringGrid::keyPressEvent(QKeyEvent* event)
{
    const int row = Row();
    QTableWidget::keyPressEvent(event);
    // Moving the current row with the keys chooses it as a click does.
    if (Row() != row && OnClick)
        OnClick();
}
