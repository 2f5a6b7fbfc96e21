// Controls bound to a table: an edit showing one field of the current
// record, a grid of chosen columns over all records, and a navigator with the
// usual move, append, delete, edit, post, cancel and refresh buttons.
#pragma once

#include "survey/DbTable.h"

#include <QAbstractTableModel>
#include <QLineEdit>
#include <QTableView>
#include <QWidget>

class QToolButton;

// Typing puts the table in edit mode; the text goes into the field when the
// edit loses focus or before the record is posted.
class TDbEdit : public QLineEdit {
    Q_OBJECT
public:
    TDbEdit(TDbTable& table, const QString& field, QWidget* parent = nullptr);
    const QString& DataField() const { return m_field; }
    // Puts the typed text into the record now.
    void UpdateRecord();

private:
    void Refresh();

    TDbTable& m_table;
    QString m_field;
    bool m_modified = false;
};

struct TDbColumn {
    QString Field;
    int Width = 64;
};

class TDbGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TDbGridModel(TDbTable& table, QVector<TDbColumn> columns, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    const QVector<TDbColumn>& Columns() const { return m_columns; }

private:
    int FieldIndex(int column) const;

    TDbTable& m_table;
    QVector<TDbColumn> m_columns;
};

// The selected row follows the table's current record and moves it.
class TDbGrid : public QTableView {
    Q_OBJECT
public:
    TDbGrid(TDbTable& table, QVector<TDbColumn> columns, QWidget* parent = nullptr);
    TDbGridModel& Model() { return *m_model; }

private:
    void ShowCurrent();

    TDbTable& m_table;
    TDbGridModel* m_model;
    bool m_following = false;
};

class TDbNavigator : public QWidget {
    Q_OBJECT
public:
    enum TButton { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };
    static constexpr int ButtonCount = 10;

    explicit TDbNavigator(TDbTable& table, QWidget* parent = nullptr);
    QToolButton* Button(TButton button) const { return m_buttons[button]; }

    // Asked before a delete; answers whether to go on (a message box unless
    // replaced).
    std::function<bool()> ConfirmDelete;

private:
    void Click(TButton button);
    void UpdateButtons();

    TDbTable& m_table;
    QToolButton* m_buttons[ButtonCount];
};
