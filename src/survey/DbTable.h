// A table of the survey kept in a SQLite file of its own: one file per table
// path, one table in each file. It behaves like a record cursor over the
// table: open, move, append or edit one record at a time, post it, delete it.
//
// Every post is committed at once with synchronous writes and a rollback
// journal, so a record the operator saved survives a crash or power loss and
// the file alone holds the whole table (it can be copied for the office).
// SQLite's locking keeps two programs on one file from corrupting it; a table
// that stays busy gives EDbTableError with a clear message.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>
#include <stdexcept>
#include <vector>

// A table that cannot be created, opened, read or written; the message is
// for the user.
class EDbTableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TFieldType { ftString, ftInteger, ftFloat, ftDateTime };

struct TFieldDef {
    QString Name;
    TFieldType Type = TFieldType::ftString;
    int Size = 0; // characters of a string field; 0 for the others
};

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

class TDbTable : public QObject {
    Q_OBJECT
public:
    using TEvent = std::function<void(TDbTable&)>;

    // How long a write waits for another program's lock before it fails.
    static constexpr int BusyTimeoutMs = 3000;

    explicit TDbTable(QObject* parent = nullptr);
    ~TDbTable() override;

    // The file of the table; changed only while the table is closed.
    const QString& TableName() const { return m_tableName; }
    void SetTableName(const QString& path);
    // The folder part of the table's file name.
    QString DatabaseName() const;

    bool Exists() const;
    // Creates the file with one table of these fields (no field required);
    // `primaryField`, when given, gets the primary and unique index. An
    // existing file is replaced.
    void CreateTable(const QVector<TFieldDef>& fields, const QString& primaryField = QString());

    void Open();
    void Close(); // a record not yet posted is dropped
    bool Active() const { return m_state != TDataSetState::dsInactive; }
    TDataSetState State() const { return m_state; }
    bool Inserting() const { return m_state == TDataSetState::dsInsert; }
    bool Editing() const { return m_state == TDataSetState::dsEdit || Inserting(); }

    // Records in the order of IndexFieldNames (field names separated by ";"),
    // or in key order, or in the order they were written.
    const QString& IndexFieldNames() const { return m_indexFieldNames; }
    void SetIndexFieldNames(const QString& names);
    // A condition on the fields ("PK > 10"), applied while Filtered is set.
    const QString& Filter() const { return m_filter; }
    void SetFilter(const QString& filter);
    bool Filtered() const { return m_filtered; }
    void SetFiltered(bool filtered);

    const QVector<TFieldDef>& Fields() const { return m_fields; }
    int FieldIndex(const QString& name) const; // -1 when there is none
    const TFieldDef& Field(const QString& name) const;

    int RecordCount() const { return static_cast<int>(m_rows.size()); }
    bool IsEmpty() const { return m_rows.empty(); }
    // The current record: 0 .. RecordCount()-1, RecordCount() for a record
    // being appended, -1 when the table is empty or closed.
    int RecNo() const { return m_current; }
    bool Eof() const { return m_eof; }
    void First();
    void Last();
    void Next();
    void Prior();
    void MoveTo(int recNo);

    // The current record's value (null for an empty field or no record) and
    // the value of any record by position, for grids.
    QVariant FieldValue(const QString& name) const;
    QVariant RecordValue(int recNo, int fieldIndex) const;
    // Only while editing or appending. A value that does not fit the field's
    // type gives EDbTableError; text is cut to the field's size.
    void SetFieldValue(const QString& name, const QVariant& value);
    // The value typed by the user for a field: numbers in the user's locale.
    void SetFieldText(const QString& name, const QString& text);
    static QString DisplayText(const TFieldDef& field, const QVariant& value);

    void Append(); // a new empty record after the last one
    void Edit();
    void Post(); // writes and commits the record being appended or edited
    void Cancel();
    void Delete();
    // Deletes every record at once.
    void EmptyTable();
    // Reads the records again (another program may have written), keeping
    // the current one.
    void Refresh();
    // Posts what is being appended or edited; nothing otherwise.
    void CheckBrowseMode();

    // Bookmarks name a record for as long as it exists.
    qint64 Bookmark() const;
    bool BookmarkValid(qint64 bookmark) const;
    void GotoBookmark(qint64 bookmark);

    // While disabled (calls nest), bound controls are not told of moves.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disabled > 0; }

    // Bound controls put their pending text into the record before a post.
    void AddRecordUpdater(QObject* owner, std::function<void()> update);

    TEvent BeforeInsert;
    TEvent AfterInsert;

signals:
    // The set of records, their order or the open state changed.
    void DataChanged();
    // The current record moved or its values changed.
    void RecordChanged();
    void StateChanged();

private:
    struct TRow {
        qint64 rowid = 0;
        QVector<QVariant> values;
    };

    QSqlDatabase Connect() const;
    void Disconnect();
    void ReadFields();
    void Reload(qint64 keepRowid);
    QString OrderClause() const;
    QString SelectSql() const;
    void CheckActive() const;
    void SetState(TDataSetState state);
    void NotifyRecord();
    void NotifyData();
    [[noreturn]] void Fail(const QString& what, const class QSqlError& error) const;
    QVariant Converted(const TFieldDef& field, const QVariant& value) const;

    QString m_tableName;
    QString m_connection;
    QVector<TFieldDef> m_fields;
    QString m_primaryField;
    QString m_indexFieldNames;
    QString m_filter;
    bool m_filtered = false;
    std::vector<TRow> m_rows;
    TRow m_buffer; // the record being appended or edited
    int m_current = -1;
    bool m_eof = true;
    TDataSetState m_state = TDataSetState::dsInactive;
    int m_disabled = 0;
    bool m_pendingRecord = false;
    bool m_pendingData = false;
    struct TUpdater {
        QObject* owner;
        std::function<void()> update;
    };
    std::vector<TUpdater> m_updaters;
};
