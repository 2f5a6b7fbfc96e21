// A temporary folder for survey tables, and helpers to fill and read them.
#pragma once

#include "survey/DbTable.h"
#include "survey/SurveyTables.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class SurveyTableFixture : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return m_dir.path() + "/" + name; }

    // A new survey table with these references, one record each.
    void MakeSurveyTable(TDbTable& table, const QString& name, const QStringList& refers)
    {
        table.SetTableName(Path(name));
        CriaTbDados(table);
        table.Open();
        for (const QString& refer : refers) {
            table.Append();
            table.SetFieldValue("Refer", refer);
            table.Post();
        }
    }

    static QStringList Column(TDbTable& table, const QString& field)
    {
        QStringList values;
        for (table.First(); !table.Eof(); table.Next())
            values << table.FieldValue(field).toString();
        return values;
    }

    QTemporaryDir m_dir;
};
