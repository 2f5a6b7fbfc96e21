#include "survey/DbTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

// Each file holds one table under this name, whatever the file is called, so
// a renamed or copied file still opens.
const QString TableSql = QStringLiteral("Tabela");

constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;
constexpr int SqliteConstraint = 19;

const QString DateTimeStorage = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");
const QString DateTimeShown = QStringLiteral("dd/MM/yyyy hh:mm:ss");

QString Quoted(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\""))
        + QLatin1Char('"');
}

QString SqlType(const TFieldDef& field)
{
    switch (field.Type) {
    case TFieldType::ftString:
        return QStringLiteral("VARCHAR(%1)").arg(field.Size);
    case TFieldType::ftInteger:
        return QStringLiteral("INTEGER");
    case TFieldType::ftFloat:
        return QStringLiteral("DOUBLE");
    case TFieldType::ftDateTime:
        return QStringLiteral("DATETIME");
    }
    return QString();
}

// The field a column declared by this program (or a compatible tool) holds.
TFieldDef FieldFromSql(const QString& name, const QString& declared)
{
    const QString type = declared.trimmed().toUpper();
    static const QRegularExpression sized(QStringLiteral("^(?:VAR)?CHAR\\s*\\(\\s*(\\d+)\\s*\\)$"));
    if (const QRegularExpressionMatch m = sized.match(type); m.hasMatch())
        return { name, TFieldType::ftString, m.captured(1).toInt() };
    if (type.contains(QLatin1String("INT")))
        return { name, TFieldType::ftInteger, 0 };
    if (type.contains(QLatin1String("DOUBLE")) || type.contains(QLatin1String("REAL"))
        || type.contains(QLatin1String("FLOA")))
        return { name, TFieldType::ftFloat, 0 };
    if (type.contains(QLatin1String("DATE")) || type.contains(QLatin1String("TIME")))
        return { name, TFieldType::ftDateTime, 0 };
    return { name, TFieldType::ftString, 255 };
}

int PrimaryCode(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code & 0xff : -1;
}

QVariant Stored(const TFieldDef& field, const QVariant& value)
{
    if (value.isNull())
        return QVariant();
    if (field.Type == TFieldType::ftDateTime)
        return value.toDateTime().toString(DateTimeStorage);
    return value;
}

QVariant Loaded(const TFieldDef& field, const QVariant& value)
{
    if (value.isNull())
        return QVariant();
    switch (field.Type) {
    case TFieldType::ftString:
        return value.toString();
    case TFieldType::ftInteger:
        return QVariant(static_cast<qint32>(value.toLongLong()));
    case TFieldType::ftFloat:
        return QVariant(value.toDouble());
    case TFieldType::ftDateTime:
        return QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    }
    return value;
}

} // namespace

TDbTable::TDbTable(QObject* parent)
    : QObject(parent)
{
    static int counter = 0;
    m_connection = QStringLiteral("brumex-table-%1").arg(++counter);
}

TDbTable::~TDbTable()
{
    Disconnect();
}

void TDbTable::SetTableName(const QString& path)
{
    if (Active())
        throw EDbTableError("A tabela precisa estar fechada para mudar de arquivo.");
    m_tableName = path;
}

QString TDbTable::DatabaseName() const
{
    return QFileInfo(m_tableName).path();
}

bool TDbTable::Exists() const
{
    return !m_tableName.isEmpty() && QFileInfo(m_tableName).isFile();
}

QSqlDatabase TDbTable::Connect() const
{
    if (QSqlDatabase::contains(m_connection))
        return QSqlDatabase::database(m_connection, false);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!db.isValid())
        throw EDbTableError("O suporte a SQLite do Qt (QSQLITE) não está instalado.");
    return db;
}

void TDbTable::Disconnect()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

void TDbTable::Fail(const QString& what, const QSqlError& error) const
{
    const int code = PrimaryCode(error);
    if (code == SqliteBusy || code == SqliteLocked)
        throw EDbTableError(
            QStringLiteral("A tabela %1 está em uso por outro programa. Tente de novo em instantes.")
                .arg(QDir::toNativeSeparators(m_tableName))
                .toStdString());
    throw EDbTableError(QStringLiteral("%1 %2: %3")
                            .arg(what, QDir::toNativeSeparators(m_tableName), error.text())
                            .toStdString());
}

void TDbTable::CreateTable(const QVector<TFieldDef>& fields, const QString& primaryField)
{
    if (Active())
        throw EDbTableError("A tabela precisa estar fechada para ser criada.");
    // Made aside and renamed into place, so an interrupted creation never
    // leaves a half-made file under the table's name.
    const QString aside = m_tableName + QStringLiteral(".criando");
    QFile::remove(aside);
    {
        QSqlDatabase db = Connect();
        db.setDatabaseName(aside);
        if (!db.open())
            Fail(QStringLiteral("Não foi possível criar a tabela"), db.lastError());
        QStringList columns;
        for (const TFieldDef& field : fields) {
            QString column = Quoted(field.Name) + QLatin1Char(' ') + SqlType(field);
            if (field.Name == primaryField)
                column += QStringLiteral(" PRIMARY KEY");
            columns << column;
        }
        QSqlQuery query(db);
        if (!query.exec(
                QStringLiteral("CREATE TABLE %1 (%2)").arg(TableSql, columns.join(QStringLiteral(", ")))))
            Fail(QStringLiteral("Não foi possível criar a tabela"), query.lastError());
    }
    Disconnect();
    if (std::rename(QFile::encodeName(aside).constData(), QFile::encodeName(m_tableName).constData()) != 0) {
        QFile::remove(aside);
        throw EDbTableError(QStringLiteral("Não foi possível criar a tabela %1.")
                                .arg(QDir::toNativeSeparators(m_tableName))
                                .toStdString());
    }
}

void TDbTable::Open()
{
    if (Active())
        return;
    if (!Exists())
        throw EDbTableError(QStringLiteral("A tabela %1 não existe.")
                                .arg(QDir::toNativeSeparators(m_tableName))
                                .toStdString());
    QSqlDatabase db = Connect();
    db.setDatabaseName(m_tableName);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    try {
        if (!db.open())
            Fail(QStringLiteral("Não foi possível abrir a tabela"), db.lastError());
        QSqlQuery pragma(db);
        // A full sync on every commit: a posted record is on the disk.
        if (!pragma.exec(QStringLiteral("PRAGMA synchronous=FULL")))
            Fail(QStringLiteral("Não foi possível abrir a tabela"), pragma.lastError());
        ReadFields();
        m_state = TDataSetState::dsBrowse;
        Reload(0);
    } catch (...) {
        m_state = TDataSetState::dsInactive;
        m_rows.clear();
        Disconnect();
        throw;
    }
    emit StateChanged();
    NotifyData();
}

void TDbTable::ReadFields()
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(TableSql)))
        Fail(QStringLiteral("Não foi possível ler a tabela"), query.lastError());
    m_fields.clear();
    m_primaryField.clear();
    while (query.next()) {
        const QString name = query.value(1).toString();
        m_fields << FieldFromSql(name, query.value(2).toString());
        if (query.value(5).toInt() == 1)
            m_primaryField = name;
    }
    if (m_fields.isEmpty())
        throw EDbTableError(QStringLiteral("O arquivo %1 não é uma tabela de dados.")
                                .arg(QDir::toNativeSeparators(m_tableName))
                                .toStdString());
}

void TDbTable::Close()
{
    if (!Active())
        return;
    m_rows.clear();
    m_buffer = TRow();
    m_current = -1;
    m_eof = true;
    m_state = TDataSetState::dsInactive;
    Disconnect();
    emit StateChanged();
    NotifyData();
}

QString TDbTable::OrderClause() const
{
    QStringList keys;
    for (const QString& name : m_indexFieldNames.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        keys << Quoted(name.trimmed());
    if (keys.isEmpty() && !m_primaryField.isEmpty())
        keys << Quoted(m_primaryField);
    keys << QStringLiteral("rowid");
    return keys.join(QStringLiteral(", "));
}

QString TDbTable::SelectSql() const
{
    QStringList columns { QStringLiteral("rowid") };
    for (const TFieldDef& field : m_fields)
        columns << Quoted(field.Name);
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QStringLiteral(", ")), TableSql);
    if (m_filtered && !m_filter.trimmed().isEmpty())
        sql += QStringLiteral(" WHERE ") + m_filter;
    return sql + QStringLiteral(" ORDER BY ") + OrderClause();
}

void TDbTable::Reload(qint64 keepRowid)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    if (!query.exec(SelectSql()))
        Fail(QStringLiteral("Não foi possível ler a tabela"), query.lastError());
    std::vector<TRow> rows;
    while (query.next()) {
        TRow row;
        row.rowid = query.value(0).toLongLong();
        row.values.reserve(m_fields.size());
        for (int i = 0; i < m_fields.size(); ++i)
            row.values << Loaded(m_fields[i], query.value(i + 1));
        rows.push_back(std::move(row));
    }
    m_rows = std::move(rows);
    const auto kept
        = std::find_if(m_rows.begin(), m_rows.end(), [&](const TRow& r) { return r.rowid == keepRowid; });
    if (kept != m_rows.end())
        m_current = static_cast<int>(kept - m_rows.begin());
    else
        m_current = std::min(m_current, RecordCount() - 1);
    if (m_current < 0 && !m_rows.empty())
        m_current = 0;
    m_eof = m_rows.empty();
}

void TDbTable::SetIndexFieldNames(const QString& names)
{
    for (const QString& name : names.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (Active() && FieldIndex(name.trimmed()) < 0)
            throw EDbTableError(
                QStringLiteral("A tabela não tem o campo %1.").arg(name.trimmed()).toStdString());
    m_indexFieldNames = names;
    if (Active()) {
        CheckBrowseMode();
        Reload(Bookmark());
        NotifyData();
    }
}

void TDbTable::SetFilter(const QString& filter)
{
    m_filter = filter;
    if (Active() && m_filtered) {
        CheckBrowseMode();
        Reload(Bookmark());
        NotifyData();
    }
}

void TDbTable::SetFiltered(bool filtered)
{
    if (m_filtered == filtered)
        return;
    m_filtered = filtered;
    if (Active()) {
        CheckBrowseMode();
        Reload(Bookmark());
        NotifyData();
    }
}

int TDbTable::FieldIndex(const QString& name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].Name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const TFieldDef& TDbTable::Field(const QString& name) const
{
    const int index = FieldIndex(name);
    if (index < 0)
        throw EDbTableError(QStringLiteral("A tabela não tem o campo %1.").arg(name).toStdString());
    return m_fields[index];
}

void TDbTable::CheckActive() const
{
    if (!Active())
        throw EDbTableError(QStringLiteral("A tabela %1 não está aberta.")
                                .arg(QDir::toNativeSeparators(m_tableName))
                                .toStdString());
}

void TDbTable::First()
{
    MoveTo(0);
    m_eof = m_rows.empty();
}

void TDbTable::Last()
{
    MoveTo(RecordCount() - 1);
}

void TDbTable::Next()
{
    CheckActive();
    CheckBrowseMode();
    if (m_current + 1 >= RecordCount()) {
        m_eof = true;
        return;
    }
    MoveTo(m_current + 1);
}

void TDbTable::Prior()
{
    MoveTo(std::max(0, m_current - 1));
}

void TDbTable::MoveTo(int recNo)
{
    CheckActive();
    CheckBrowseMode();
    const int target = m_rows.empty() ? -1 : std::clamp(recNo, 0, RecordCount() - 1);
    m_eof = m_rows.empty();
    if (target == m_current)
        return;
    m_current = target;
    NotifyRecord();
}

QVariant TDbTable::RecordValue(int recNo, int fieldIndex) const
{
    if (fieldIndex < 0 || fieldIndex >= m_fields.size())
        return QVariant();
    if (Editing() && recNo == m_current)
        return m_buffer.values.value(fieldIndex);
    if (recNo < 0 || recNo >= RecordCount())
        return QVariant();
    return m_rows[static_cast<std::size_t>(recNo)].values.value(fieldIndex);
}

QVariant TDbTable::FieldValue(const QString& name) const
{
    const int index = FieldIndex(name);
    if (index < 0)
        throw EDbTableError(QStringLiteral("A tabela não tem o campo %1.").arg(name).toStdString());
    return RecordValue(m_current, index);
}

QVariant TDbTable::Converted(const TFieldDef& field, const QVariant& value) const
{
    if (value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty()))
        return QVariant();
    bool ok = false;
    switch (field.Type) {
    case TFieldType::ftString:
        return value.toString().left(field.Size);
    case TFieldType::ftInteger: {
        const qlonglong number = value.toLongLong(&ok);
        if (ok && number >= std::numeric_limits<qint32>::min()
            && number <= std::numeric_limits<qint32>::max())
            return QVariant(static_cast<qint32>(number));
        break;
    }
    case TFieldType::ftFloat: {
        const double number = value.toDouble(&ok);
        if (ok && std::isfinite(number))
            return QVariant(number);
        break;
    }
    case TFieldType::ftDateTime:
        if (value.toDateTime().isValid())
            return value.toDateTime();
        break;
    }
    throw EDbTableError(QStringLiteral("\"%1\" não é um valor válido para o campo %2.")
                            .arg(value.toString(), field.Name)
                            .toStdString());
}

void TDbTable::SetFieldValue(const QString& name, const QVariant& value)
{
    const TFieldDef& field = Field(name);
    if (!Editing())
        throw EDbTableError("A tabela não está em edição.");
    const QVariant converted = Converted(field, value);
    QVariant& slot = m_buffer.values[FieldIndex(name)];
    if (slot == converted && slot.isNull() == converted.isNull())
        return;
    slot = converted;
    NotifyRecord();
}

void TDbTable::SetFieldText(const QString& name, const QString& text)
{
    const TFieldDef& field = Field(name);
    const QString trimmed = field.Type == TFieldType::ftString ? text : text.trimmed();
    QVariant value = trimmed;
    if (!trimmed.isEmpty() && field.Type != TFieldType::ftString) {
        bool ok = false;
        const QLocale locale;
        if (field.Type == TFieldType::ftInteger) {
            int number = locale.toInt(trimmed, &ok);
            if (!ok)
                number = QLocale::c().toInt(trimmed, &ok);
            value = ok ? QVariant(number) : QVariant();
        } else if (field.Type == TFieldType::ftFloat) {
            double number = locale.toDouble(trimmed, &ok);
            if (!ok)
                number = QLocale::c().toDouble(trimmed, &ok);
            value = ok ? QVariant(number) : QVariant();
        } else {
            QDateTime time = QDateTime::fromString(trimmed, DateTimeShown);
            if (!time.isValid())
                time = QDateTime::fromString(trimmed, Qt::ISODateWithMs);
            ok = time.isValid();
            value = time;
        }
        if (!ok)
            throw EDbTableError(QStringLiteral("\"%1\" não é um valor válido para o campo %2.")
                                    .arg(trimmed, field.Name)
                                    .toStdString());
    }
    SetFieldValue(name, value);
}

QString TDbTable::DisplayText(const TFieldDef& field, const QVariant& value)
{
    if (value.isNull())
        return QString();
    switch (field.Type) {
    case TFieldType::ftString:
        return value.toString();
    case TFieldType::ftInteger:
        return QString::number(value.toInt());
    case TFieldType::ftFloat:
        return QLocale().toString(value.toDouble(), 'g', 15);
    case TFieldType::ftDateTime:
        return value.toDateTime().toString(DateTimeShown);
    }
    return value.toString();
}

void TDbTable::Append()
{
    CheckActive();
    CheckBrowseMode();
    if (BeforeInsert)
        BeforeInsert(*this);
    m_buffer = TRow();
    m_buffer.values.resize(m_fields.size());
    m_current = RecordCount();
    m_eof = true;
    SetState(TDataSetState::dsInsert);
    NotifyData();
    if (AfterInsert)
        AfterInsert(*this);
}

void TDbTable::Edit()
{
    CheckActive();
    if (Editing())
        return;
    if (m_rows.empty()) {
        Append();
        return;
    }
    m_buffer = m_rows[static_cast<std::size_t>(m_current)];
    SetState(TDataSetState::dsEdit);
}

void TDbTable::Post()
{
    CheckActive();
    if (!Editing())
        return;
    for (const TUpdater& updater : m_updaters)
        updater.update();
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    QStringList names, marks;
    for (const TFieldDef& field : m_fields) {
        names << Quoted(field.Name);
        marks << (Inserting() ? QStringLiteral("?") : Quoted(field.Name) + QStringLiteral(" = ?"));
    }
    if (Inserting())
        query.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(TableSql, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
    else
        query.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                          .arg(TableSql, marks.join(QStringLiteral(", "))));
    for (int i = 0; i < m_fields.size(); ++i)
        query.addBindValue(Stored(m_fields[i], m_buffer.values[i]));
    if (!Inserting())
        query.addBindValue(m_buffer.rowid);
    if (!query.exec()) {
        if (PrimaryCode(query.lastError()) == SqliteConstraint && !m_primaryField.isEmpty())
            throw EDbTableError(QStringLiteral("Já existe um registro com %1 \"%2\" na tabela %3.")
                                    .arg(m_primaryField, FieldValue(m_primaryField).toString(),
                                        QDir::toNativeSeparators(m_tableName))
                                    .toStdString());
        Fail(QStringLiteral("Não foi possível gravar na tabela"), query.lastError());
    }
    const qint64 rowid = Inserting() ? query.lastInsertId().toLongLong() : m_buffer.rowid;
    m_buffer = TRow();
    m_state = TDataSetState::dsBrowse;
    Reload(rowid);
    emit StateChanged();
    NotifyData();
}

void TDbTable::Cancel()
{
    if (!Editing())
        return;
    const bool inserting = Inserting();
    m_buffer = TRow();
    if (inserting)
        m_current = std::min(m_current, RecordCount() - 1);
    m_eof = m_rows.empty();
    SetState(TDataSetState::dsBrowse);
    if (inserting)
        NotifyData();
    else
        NotifyRecord();
}

void TDbTable::Delete()
{
    CheckActive();
    if (Inserting()) {
        Cancel();
        return;
    }
    Cancel();
    if (m_rows.empty())
        throw EDbTableError("A tabela está vazia.");
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(TableSql));
    query.addBindValue(m_rows[static_cast<std::size_t>(m_current)].rowid);
    if (!query.exec())
        Fail(QStringLiteral("Não foi possível excluir da tabela"), query.lastError());
    Reload(0);
    NotifyData();
}

void TDbTable::EmptyTable()
{
    CheckActive();
    Cancel();
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(QStringLiteral("DELETE FROM %1").arg(TableSql)))
        Fail(QStringLiteral("Não foi possível esvaziar a tabela"), query.lastError());
    Reload(0);
    NotifyData();
}

void TDbTable::Refresh()
{
    CheckActive();
    CheckBrowseMode();
    Reload(Bookmark());
    NotifyData();
}

void TDbTable::CheckBrowseMode()
{
    if (Editing())
        Post();
}

qint64 TDbTable::Bookmark() const
{
    if (m_current < 0 || m_current >= RecordCount())
        return 0;
    return m_rows[static_cast<std::size_t>(m_current)].rowid;
}

bool TDbTable::BookmarkValid(qint64 bookmark) const
{
    return bookmark != 0
        && std::any_of(m_rows.begin(), m_rows.end(), [&](const TRow& r) { return r.rowid == bookmark; });
}

void TDbTable::GotoBookmark(qint64 bookmark)
{
    for (int i = 0; i < RecordCount(); ++i)
        if (m_rows[static_cast<std::size_t>(i)].rowid == bookmark) {
            MoveTo(i);
            return;
        }
}

void TDbTable::DisableControls()
{
    ++m_disabled;
}

void TDbTable::EnableControls()
{
    if (m_disabled == 0 || --m_disabled > 0)
        return;
    if (m_pendingData)
        NotifyData();
    else if (m_pendingRecord)
        NotifyRecord();
}

void TDbTable::AddRecordUpdater(QObject* owner, std::function<void()> update)
{
    m_updaters.push_back({ owner, std::move(update) });
    connect(owner, &QObject::destroyed, this, [this, owner] {
        std::erase_if(m_updaters, [owner](const TUpdater& u) { return u.owner == owner; });
    });
}

void TDbTable::SetState(TDataSetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit StateChanged();
}

void TDbTable::NotifyRecord()
{
    if (m_disabled > 0) {
        m_pendingRecord = true;
        return;
    }
    m_pendingRecord = false;
    emit RecordChanged();
}

void TDbTable::NotifyData()
{
    if (m_disabled > 0) {
        m_pendingData = true;
        return;
    }
    m_pendingData = false;
    m_pendingRecord = false;
    emit DataChanged();
    emit RecordChanged();
}
