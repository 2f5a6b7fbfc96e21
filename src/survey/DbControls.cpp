#include "survey/DbControls.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QToolButton>

TDbEdit::TDbEdit(TDbTable& table, const QString& field, QWidget* parent)
    : QLineEdit(parent)
    , m_table(table)
    , m_field(field)
{
    connect(&table, &TDbTable::RecordChanged, this, [this] {
        if (!m_modified)
            Refresh();
    });
    connect(&table, &TDbTable::StateChanged, this, [this] {
        if (!m_table.Editing())
            m_modified = false;
        Refresh();
    });
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (!m_table.Active())
            return;
        m_table.Edit();
        m_modified = true;
    });
    connect(this, &QLineEdit::editingFinished, this, [this] {
        if (m_modified && m_table.Editing())
            UpdateRecord();
    });
    table.AddRecordUpdater(this, [this] { UpdateRecord(); });
    Refresh();
}

void TDbEdit::UpdateRecord()
{
    if (!m_modified)
        return;
    m_table.SetFieldText(m_field, text());
    m_modified = false;
}

void TDbEdit::Refresh()
{
    setEnabled(m_table.Active());
    if (!m_table.Active() || m_table.FieldIndex(m_field) < 0) {
        clear();
        return;
    }
    const TFieldDef& field = m_table.Field(m_field);
    setMaxLength(field.Type == TFieldType::ftString ? field.Size : 32767);
    const QString shown = TDbTable::DisplayText(field, m_table.FieldValue(m_field));
    if (shown != text())
        setText(shown);
}

TDbGridModel::TDbGridModel(TDbTable& table, QVector<TDbColumn> columns, QObject* parent)
    : QAbstractTableModel(parent)
    , m_table(table)
    , m_columns(std::move(columns))
{
    connect(&table, &TDbTable::DataChanged, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&table, &TDbTable::RecordChanged, this, [this] {
        const int row = m_table.RecNo();
        if (row >= 0 && row < rowCount())
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
}

int TDbGridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_table.Active())
        return 0;
    return m_table.RecordCount() + (m_table.Inserting() ? 1 : 0);
}

int TDbGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

int TDbGridModel::FieldIndex(int column) const
{
    return m_table.FieldIndex(m_columns.value(column).Field);
}

QVariant TDbGridModel::data(const QModelIndex& index, int role) const
{
    const int field = FieldIndex(index.column());
    if (field < 0 || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return TDbTable::DisplayText(m_table.Fields()[field], m_table.RecordValue(index.row(), field));
}

QVariant TDbGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_columns.value(section).Field;
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TDbGridModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool TDbGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || FieldIndex(index.column()) < 0)
        return false;
    m_table.MoveTo(index.row());
    m_table.Edit();
    m_table.SetFieldText(m_columns[index.column()].Field, value.toString());
    return true;
}

TDbGrid::TDbGrid(TDbTable& table, QVector<TDbColumn> columns, QWidget* parent)
    : QTableView(parent)
    , m_table(table)
    , m_model(new TDbGridModel(table, std::move(columns), this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setDefaultSectionSize(18);
    verticalHeader()->setFixedWidth(12);
    for (int c = 0; c < m_model->Columns().size(); ++c)
        setColumnWidth(c, m_model->Columns()[c].Width);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        for (int c = 0; c < m_model->Columns().size(); ++c)
            setColumnWidth(c, m_model->Columns()[c].Width);
        ShowCurrent();
    });
    connect(&table, &TDbTable::RecordChanged, this, &TDbGrid::ShowCurrent);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (m_following || !current.isValid() || !m_table.Active() || current.row() == m_table.RecNo())
            return;
        if (current.row() < m_table.RecordCount())
            m_table.MoveTo(current.row());
    });
}

void TDbGrid::ShowCurrent()
{
    const int row = m_table.RecNo();
    if (row < 0 || row >= m_model->rowCount() || row == currentIndex().row())
        return;
    m_following = true;
    setCurrentIndex(m_model->index(row, std::max(0, currentIndex().column())));
    scrollTo(currentIndex());
    m_following = false;
}

TDbNavigator::TDbNavigator(TDbTable& table, QWidget* parent)
    : QWidget(parent)
    , m_table(table)
{
    struct TLook {
        const char* text;
        const char* hint;
    };
    static const TLook looks[ButtonCount] = { { "|◀", "Primeiro" }, { "◀", "Anterior" }, { "▶", "Próximo" },
        { "▶|", "Último" }, { "+", "Inserir" }, { "−", "Excluir" }, { "▲", "Editar" }, { "✓", "Gravar" },
        { "✕", "Cancelar" }, { "↻", "Atualizar" } };
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < ButtonCount; ++i) {
        auto* button = new QToolButton(this);
        button->setText(QString::fromUtf8(looks[i].text));
        button->setToolTip(QString::fromUtf8(looks[i].hint));
        button->setFixedSize(28, 24);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, i] { Click(static_cast<TButton>(i)); });
        m_buttons[i] = button;
    }
    layout->addStretch();
    ConfirmDelete = [this] {
        return QMessageBox::question(window(), QStringLiteral("Confirmação"), QStringLiteral("Excluir o registro?"))
            == QMessageBox::Yes;
    };
    connect(&table, &TDbTable::StateChanged, this, &TDbNavigator::UpdateButtons);
    connect(&table, &TDbTable::RecordChanged, this, &TDbNavigator::UpdateButtons);
    UpdateButtons();
}

void TDbNavigator::Click(TButton button)
{
    switch (button) {
    case nbFirst:
        m_table.First();
        break;
    case nbPrior:
        m_table.Prior();
        break;
    case nbNext:
        m_table.Next();
        break;
    case nbLast:
        m_table.Last();
        break;
    case nbInsert:
        m_table.Append();
        break;
    case nbDelete:
        if (ConfirmDelete())
            m_table.Delete();
        break;
    case nbEdit:
        m_table.Edit();
        break;
    case nbPost:
        m_table.Post();
        break;
    case nbCancel:
        m_table.Cancel();
        break;
    case nbRefresh:
        m_table.Refresh();
        break;
    }
}

void TDbNavigator::UpdateButtons()
{
    const bool active = m_table.Active();
    const bool editing = m_table.Editing();
    const bool browsing = active && !editing;
    const bool any = active && !m_table.IsEmpty();
    const int at = m_table.RecNo();
    m_buttons[nbFirst]->setEnabled(browsing && any && at > 0);
    m_buttons[nbPrior]->setEnabled(browsing && any && at > 0);
    m_buttons[nbNext]->setEnabled(browsing && any && at < m_table.RecordCount() - 1);
    m_buttons[nbLast]->setEnabled(browsing && any && at < m_table.RecordCount() - 1);
    m_buttons[nbInsert]->setEnabled(active);
    m_buttons[nbDelete]->setEnabled(any);
    m_buttons[nbEdit]->setEnabled(browsing && any);
    m_buttons[nbPost]->setEnabled(editing);
    m_buttons[nbCancel]->setEnabled(editing);
    m_buttons[nbRefresh]->setEnabled(active);
}
