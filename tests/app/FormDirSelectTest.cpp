#include "app/FormDirSelect.h"
#include "common/QtPrinters.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

class FormDirSelectTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString cartas;
    QString mapa;
    TFormDirSelect form;

    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        cartas = tmp.path() + "/Cartas";
        ASSERT_TRUE(QDir().mkpath(cartas + "/.oculta"));
        mapa = cartas + "/mapa.bmp";
        QFile file(mapa);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    void Open(const QString& start)
    {
        form.DirSelFolder = start;
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    // Waits until the tree has listed the folder, then the item's centre.
    QPoint ItemCentre(const QString& path)
    {
        auto* model = static_cast<QFileSystemModel*>(form.ShellTreeView1->model());
        const QModelIndex index = model->index(path);
        EXPECT_TRUE(index.isValid()) << path.toStdString();
        form.ShellTreeView1->scrollTo(index);
        EXPECT_TRUE(QTest::qWaitFor([&] { return form.ShellTreeView1->visualRect(index).isValid(); }));
        return form.ShellTreeView1->visualRect(index).center();
    }
};

TEST_F(FormDirSelectTest, ShowsItsControls)
{
    EXPECT_EQ(form.windowTitle(), "Seleção de Pasta");
    EXPECT_EQ(form.BtOK->text(), "OK");
    EXPECT_EQ(form.BtCancelar->text(), "Cancelar");
    bool caminho = false;
    for (const QLabel* label : form.findChildren<QLabel*>())
        caminho |= label->text() == "Caminho:";
    EXPECT_TRUE(caminho);
}

TEST_F(FormDirSelectTest, OkGivesTheChosenFileOrFolder)
{
    struct Case {
        const char* name;
        QString start;
        QString file;
        QString folder;
        QString item;
    };
    const Case cases[] = {
        { "file", mapa, mapa, cartas, "mapa.bmp" },
        { "folder", cartas, "", cartas, "" },
        { "folder with trailing separator", cartas + "/", "", cartas, "" },
        { "hidden folder", cartas + "/.oculta", "", cartas + "/.oculta", "" },
        { "missing file in an existing folder", cartas + "/nada.bmp", "", cartas, "" },
        { "root", "/", "", "/", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form.DirSelFile = "old";
        Open(c.start);
        EXPECT_EQ(form.LabelDirAtu->text(), c.file.isEmpty() ? c.folder : c.file);
        QTest::mouseClick(form.BtOK, Qt::LeftButton);
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.DirSelFile, c.file);
        EXPECT_EQ(form.DirSelFolder, c.folder);
        EXPECT_EQ(form.DirSelItem, c.item);
    }
}

TEST_F(FormDirSelectTest, ActivationNavigatesAndClearsTheStartingPath)
{
    form.DirSelItem = "old";
    Open(mapa);
    EXPECT_EQ(form.SelectedPath(), mapa);
    EXPECT_TRUE(form.DirSelFolder.isEmpty());
    EXPECT_TRUE(form.DirSelItem.isEmpty());
    // The path box follows the tree: it shows the file's folder.
    EXPECT_EQ(form.ShellComboBox1->currentText(), cartas);
}

TEST_F(FormDirSelectTest, CancelAndEscapeEmptyEveryResult)
{
    for (const bool escape : { false, true }) {
        SCOPED_TRACE(escape ? "Escape" : "Cancelar");
        Open(mapa);
        form.DirSelFile = form.DirSelFolder = form.DirSelItem = "x";
        if (escape)
            QTest::keyClick(form.ShellTreeView1, Qt::Key_Escape);
        else
            QTest::mouseClick(form.BtCancelar, Qt::LeftButton);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.result(), QDialog::Rejected);
        EXPECT_TRUE(form.DirSelFile.isEmpty());
        EXPECT_TRUE(form.DirSelFolder.isEmpty());
        EXPECT_TRUE(form.DirSelItem.isEmpty());
    }
}

TEST_F(FormDirSelectTest, ClickingInTheTreeSelectsWithEitherButton)
{
    Open(cartas);
    for (const Qt::MouseButton button : { Qt::LeftButton, Qt::RightButton }) {
        Open(button == Qt::LeftButton ? cartas : tmp.path());
        const QString target = button == Qt::LeftButton ? mapa : cartas;
        QTest::mouseClick(form.ShellTreeView1->viewport(), button, {}, ItemCentre(target));
        EXPECT_EQ(form.SelectedPath(), target);
        EXPECT_EQ(form.LabelDirAtu->text(), target);
    }
}

TEST_F(FormDirSelectTest, TypingAPathInThePathBoxMovesTheTree)
{
    Open(tmp.path());
    QLineEdit* edit = form.ShellComboBox1->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, cartas);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(form.isVisible()) << "Enter in the path box must not close the window";
    EXPECT_EQ(form.SelectedPath(), cartas);
    EXPECT_EQ(form.LabelDirAtu->text(), cartas);
    // Its list holds the folder and its ancestors, the folder last.
    ASSERT_GE(form.ShellComboBox1->count(), 2);
    EXPECT_EQ(form.ShellComboBox1->itemText(0), "/");
    EXPECT_EQ(form.ShellComboBox1->itemText(form.ShellComboBox1->count() - 1), cartas);

    // Choosing an ancestor from the list goes there.
    form.ShellComboBox1->setCurrentIndex(form.ShellComboBox1->count() - 2);
    emit form.ShellComboBox1->textActivated(form.ShellComboBox1->currentText());
    EXPECT_EQ(form.SelectedPath(), tmp.path());
}

TEST_F(FormDirSelectTest, ShownModallyItHandsBackTheChoice)
{
    form.DirSelFolder = mapa;
    QTimer::singleShot(0, &form, [this] { QTest::mouseClick(form.BtOK, Qt::LeftButton); });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(form.DirSelFile, mapa);
    EXPECT_EQ(form.DirSelItem, "mapa.bmp");
}
