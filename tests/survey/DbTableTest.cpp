#include "SurveyTableFixture.h"

#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

using DbTableTest = SurveyTableFixture;

// What another program sees in the file: the columns as SQLite declares them.
QStringList DeclaredColumns(const QString& path, QString& indexSql)
{
    QStringList columns;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "inspect");
        db.setDatabaseName(path);
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec("PRAGMA table_info(Tabela)"));
        while (q.next())
            columns << q.value(1).toString() + " " + q.value(2).toString()
                    + (q.value(5).toInt() ? " key" : "");
        EXPECT_TRUE(q.exec("SELECT name, \"unique\", origin FROM pragma_index_list('Tabela')"));
        while (q.next())
            indexSql += q.value(0).toString() + " " + q.value(1).toString() + " " + q.value(2).toString();
    }
    QSqlDatabase::removeDatabase("inspect");
    return columns;
}

TEST_F(DbTableTest, SurveyAndTrackTablesHaveTheirFieldsSizesAndKey)
{
    TDbTable survey, track;
    survey.SetTableName(Path("TbDados.DB"));
    track.SetTableName(Path("TbDadosTr.DB"));
    CriaTbDados(survey);
    CriaTbTrilha(track);
    EXPECT_FALSE(survey.Active());

    QString surveyIndex, trackIndex;
    EXPECT_EQ(DeclaredColumns(Path("TbDados.DB"), surveyIndex),
        QStringList({ "Refer VARCHAR(6) key", "Lon INTEGER", "Lat INTEGER", "Odom DOUBLE", "PK DOUBLE",
            "Hora DATETIME", "Obs VARCHAR(120)" }));
    // The one index: unique, made by the primary key, with no name of ours.
    EXPECT_EQ(surveyIndex, "sqlite_autoindex_Tabela_1 1 pk");
    EXPECT_EQ(DeclaredColumns(Path("TbDadosTr.DB"), trackIndex),
        QStringList({ "Refer VARCHAR(6)", "Lon INTEGER", "Lat INTEGER", "PK DOUBLE", "Hora DATETIME" }));
    EXPECT_EQ(trackIndex, "");

    survey.Open();
    EXPECT_EQ(survey.Field("Obs").Size, 120);
    EXPECT_EQ(survey.Field("Refer").Size, 6);
    EXPECT_EQ(survey.Field("Hora").Type, TFieldType::ftDateTime);
    EXPECT_TRUE(survey.IsEmpty());
}

TEST_F(DbTableTest, PostedValuesComeBackWithTheirTypes)
{
    TDbTable table;
    MakeSurveyTable(table, "T.DB", {});
    const QDateTime hora(QDate(2024, 3, 9), QTime(14, 5, 7, 250));
    table.Append();
    table.SetFieldValue("Refer", "000001");
    table.SetFieldValue("Lon", -233280000);
    table.SetFieldValue("Lat", -122580000);
    table.SetFieldValue("Odom", 12.3);
    table.SetFieldValue("PK", 101.5);
    table.SetFieldValue("Hora", hora);
    table.SetFieldValue("Obs", QString(130, 'x'));
    table.Post();
    table.Close();
    table.Open();
    ASSERT_EQ(table.RecordCount(), 1);
    EXPECT_EQ(table.FieldValue("Refer").toString(), "000001");
    EXPECT_EQ(table.FieldValue("Lon").toInt(), -233280000);
    EXPECT_EQ(table.FieldValue("Lat").toInt(), -122580000);
    EXPECT_EQ(table.FieldValue("Odom").toDouble(), 12.3);
    EXPECT_EQ(table.FieldValue("PK").toDouble(), 101.5);
    EXPECT_EQ(table.FieldValue("Hora").toDateTime(), hora);
    EXPECT_EQ(table.FieldValue("Obs").toString(), QString(120, 'x')); // cut to the field's size
}

TEST_F(DbTableTest, EmptyFieldsStayEmpty)
{
    TDbTable table;
    MakeSurveyTable(table, "T.DB", { "000001" });
    for (const char* field : { "Lon", "Odom", "Hora", "Obs" })
        EXPECT_TRUE(table.FieldValue(field).isNull()) << field;
}

TEST_F(DbTableTest, ValuesThatDoNotFitTheirFieldAreRefused)
{
    TDbTable table;
    MakeSurveyTable(table, "T.DB", {});
    table.Append();
    struct Case {
        const char* field;
        QVariant value;
    };
    for (const Case& c : { Case { "Lon", QString("abc") }, Case { "Lat", QVariant(qint64(1) << 40) },
             Case { "PK", QString("1,2,3") }, Case { "PK", std::numeric_limits<double>::infinity() },
             Case { "Hora", QString("ontem") } }) {
        EXPECT_THROW(table.SetFieldValue(c.field, c.value), EDbTableError) << c.field;
    }
    EXPECT_THROW(table.SetFieldText("Lon", "12x"), EDbTableError);
    table.SetFieldText("PK", "12.5");
    EXPECT_EQ(table.FieldValue("PK").toDouble(), 12.5);
    EXPECT_THROW(table.FieldValue("Nada"), EDbTableError);
}

TEST_F(DbTableTest, ARepeatedKeyIsRefusedAndTheRecordStaysToBeMended)
{
    TDbTable table;
    MakeSurveyTable(table, "T.DB", { "000001" });
    table.Append();
    table.SetFieldValue("Refer", "000001");
    table.SetFieldValue("Obs", "ponte");
    try {
        table.Post();
        FAIL() << "a repeated key was written";
    } catch (const EDbTableError& e) {
        EXPECT_STREQ(e.what(),
            ("Já existe um registro com Refer \"000001\" na tabela " + Path("T.DB").toStdString() + ".")
                .c_str());
    }
    EXPECT_TRUE(table.Inserting());
    table.SetFieldValue("Refer", "000002");
    table.Post();
    EXPECT_EQ(Column(table, "Refer"), QStringList({ "000001", "000002" }));
}

TEST_F(DbTableTest, RecordsComeInKeyOrderOrInTheChosenOrder)
{
    TDbTable table;
    MakeSurveyTable(table, "T.DB", { "000003", "000001", "000002" });
    EXPECT_EQ(Column(table, "Refer"), QStringList({ "000001", "000002", "000003" }));
    table.First();
    table.Edit();
    table.SetFieldValue("Obs", "c");
    table.Next(); // moving on posts the edit
    table.Edit();
    table.SetFieldValue("Obs", "a");
    table.Post();
    table.Last();
    table.Edit();
    table.SetFieldValue("Obs", "b");
    table.Post();
    table.SetIndexFieldNames("Obs");
    EXPECT_EQ(Column(table, "Refer"), QStringList({ "000002", "000003", "000001" }));
    table.SetFilter("Obs <> 'a'");
    table.SetFiltered(true);
    EXPECT_EQ(Column(table, "Refer"), QStringList({ "000003", "000001" }));
    EXPECT_THROW(table.SetIndexFieldNames("Nada"), EDbTableError);
}

TEST_F(DbTableTest, AppendCancelDeleteAndBookmarks)
{
    TDbTable table;
    MakeSurveyTable(table, "T.DB", { "000001", "000002", "000003" });
    table.MoveTo(1);
    const qint64 second = table.Bookmark();
    table.Append();
    EXPECT_EQ(table.RecNo(), 3);
    EXPECT_EQ(table.RecordCount(), 3);
    table.Cancel();
    EXPECT_EQ(table.RecordCount(), 3);
    table.GotoBookmark(second);
    EXPECT_EQ(table.FieldValue("Refer").toString(), "000002");
    table.Delete();
    EXPECT_FALSE(table.BookmarkValid(second));
    EXPECT_EQ(Column(table, "Refer"), QStringList({ "000001", "000003" }));
    table.First();
    table.Delete();
    table.Delete();
    EXPECT_TRUE(table.IsEmpty());
    EXPECT_EQ(table.RecNo(), -1);
    EXPECT_THROW(table.Delete(), EDbTableError);
}

TEST_F(DbTableTest, BoundControlsHearOnlyWhenEnabled)
{
    TDbTable table;
    MakeSurveyTable(table, "T.DB", { "000001", "000002" });
    QSignalSpy moved(&table, &TDbTable::RecordChanged);
    table.DisableControls();
    table.DisableControls();
    table.Last();
    table.First();
    table.EnableControls();
    EXPECT_EQ(moved.count(), 0);
    table.EnableControls();
    EXPECT_EQ(moved.count(), 1);
    table.Last();
    EXPECT_EQ(moved.count(), 2);
}

TEST_F(DbTableTest, FilesThatAreNoTablesGiveClearErrors)
{
    TDbTable table;
    table.SetTableName(Path("Nada.DB"));
    EXPECT_FALSE(table.Exists());
    try {
        table.Open();
        FAIL();
    } catch (const EDbTableError& e) {
        EXPECT_EQ(std::string(e.what()), "A tabela " + Path("Nada.DB").toStdString() + " não existe.");
    }
    EXPECT_FALSE(QFile::exists(Path("Nada.DB"))); // opening never makes a file

    QFile text(Path("Texto.DB"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("Refer;Lon;Lat\n000001;1;2\n");
    text.close();
    table.SetTableName(Path("Texto.DB"));
    EXPECT_THROW(table.Open(), EDbTableError);
    EXPECT_FALSE(table.Active());

    QFile empty(Path("Vazio.DB"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    table.SetTableName(Path("Vazio.DB"));
    try {
        table.Open();
        FAIL();
    } catch (const EDbTableError& e) {
        EXPECT_EQ(std::string(e.what()),
            "O arquivo " + Path("Vazio.DB").toStdString() + " não é uma tabela de dados.");
    }
}

TEST_F(DbTableTest, TwoTablesOnOneFileSeeEachOthersRecordsAndABusyFileIsReported)
{
    TDbTable first, second;
    MakeSurveyTable(first, "T.DB", { "000001" });
    second.SetTableName(Path("T.DB"));
    second.Open();
    second.Append();
    second.SetFieldValue("Refer", "000002");
    second.Post();
    first.Close();
    first.Open();
    EXPECT_EQ(Column(first, "Refer"), QStringList({ "000001", "000002" }));

    // Another program holds the write lock longer than a post waits.
    QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "holder");
    other.setDatabaseName(Path("T.DB"));
    ASSERT_TRUE(other.open());
    QSqlQuery hold(other);
    ASSERT_TRUE(hold.exec("BEGIN EXCLUSIVE"));
    first.Append();
    first.SetFieldValue("Refer", "000003");
    try {
        first.Post();
        FAIL() << "a locked file was written";
    } catch (const EDbTableError& e) {
        EXPECT_EQ(std::string(e.what()),
            "A tabela " + Path("T.DB").toStdString()
                + " está em uso por outro programa. Tente de novo em instantes.");
    }
    EXPECT_TRUE(first.Inserting()); // nothing lost: post again once the file is free
    ASSERT_TRUE(hold.exec("COMMIT"));
    hold.finish();
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase("holder");
    first.Post();
    EXPECT_EQ(first.RecordCount(), 3);
}

} // namespace
