#include "app/FormDirSelect.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// The path and each of its ancestors, from the root down.
QStringList PathAndAncestors(const QString& path)
{
    QStringList paths;
    for (QDir dir(path);; ) {
        paths.prepend(QDir::toNativeSeparators(dir.absolutePath()));
        if (!dir.cdUp())
            break;
    }
    return paths;
}

// The nearest existing folder or file at or above the path; the home folder
// when nothing of it exists.
QString ExistingPathAtOrAbove(const QString& path)
{
    if (path.isEmpty())
        return QDir::homePath();
    QFileInfo info(QDir::fromNativeSeparators(path));
    while (!info.exists()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath())
            return QDir::homePath();
        info.setFile(parent);
    }
    return info.absoluteFilePath();
}

} // namespace

TFormDirSelect::TFormDirSelect(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormDirSelect"));
    setWindowTitle(QStringLiteral("Seleção de Pasta"));
    resize(420, 460);

    auto* caminho = new QLabel(QStringLiteral("Caminho:"), this);
    LabelDirAtu = new QLabel(this);
    LabelDirAtu->setObjectName(QStringLiteral("LabelDirAtu"));
    LabelDirAtu->setTextInteractionFlags(Qt::TextSelectableByMouse);

    ShellComboBox1 = new QComboBox(this);
    ShellComboBox1->setObjectName(QStringLiteral("ShellComboBox1"));
    ShellComboBox1->setEditable(true);
    ShellComboBox1->setInsertPolicy(QComboBox::NoInsert);

    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllEntries | QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    m_model->setRootPath(QString());
    ShellTreeView1 = new QTreeView(this);
    ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
    ShellTreeView1->setModel(m_model);
    ShellTreeView1->setRootIsDecorated(false);
    ShellTreeView1->setHeaderHidden(true);
    for (int column = 1; column < m_model->columnCount(); ++column)
        ShellTreeView1->hideColumn(column);

    BtOK = new QPushButton(QStringLiteral("OK"), this);
    BtOK->setObjectName(QStringLiteral("BtOK"));
    // Enter in the path box goes to the typed path, not to a button.
    BtOK->setAutoDefault(false);
    BtCancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    BtCancelar->setObjectName(QStringLiteral("BtCancelar"));
    BtCancelar->setAutoDefault(false);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(caminho);
    pathRow->addWidget(LabelDirAtu, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtOK);
    buttons->addWidget(BtCancelar);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ShellComboBox1);
    layout->addWidget(ShellTreeView1, 1);
    layout->addLayout(pathRow);
    layout->addLayout(buttons);

    // The tree and the path box follow each other.
    connect(ShellTreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this] { ShellTreeView1Change(); });
    connect(ShellComboBox1, &QComboBox::textActivated, this, [this] { ShellComboBox1Change(); });
    // A typed path that is not in the list yet goes there as well.
    connect(ShellComboBox1->lineEdit(), &QLineEdit::returnPressed, this, [this] { ShellComboBox1Change(); });
    connect(BtOK, &QPushButton::clicked, this, [this] { BtOKClick(); });
    connect(BtCancelar, &QPushButton::clicked, this, [this] { BtCancelarClick(); });
}

QString TFormDirSelect::SelectedPath() const
{
    const QModelIndex current = ShellTreeView1->currentIndex();
    return current.isValid() ? QDir::toNativeSeparators(m_model->filePath(current)) : QString();
}

void TFormDirSelect::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TFormDirSelect::FormActivate()
{
    NavigateTo(DirSelFolder);
    DirSelFolder.clear();
    DirSelItem.clear();
}

void TFormDirSelect::NavigateTo(const QString& path)
{
    const QModelIndex index = m_model->index(ExistingPathAtOrAbove(path));
    if (!index.isValid())
        return;
    ShellTreeView1->setCurrentIndex(index);
    ShellTreeView1->scrollTo(index);
}

void TFormDirSelect::ShellTreeView1Change()
{
    const QString path = SelectedPath();
    LabelDirAtu->setText(path);
    const QModelIndex current = ShellTreeView1->currentIndex();
    const QString folder = m_model->isDir(current) ? path : QFileInfo(path).absolutePath();
    const QSignalBlocker block(ShellComboBox1);
    ShellComboBox1->clear();
    if (path.isEmpty())
        return;
    ShellComboBox1->addItems(PathAndAncestors(folder));
    ShellComboBox1->setCurrentIndex(ShellComboBox1->count() - 1);
}

void TFormDirSelect::ShellComboBox1Change()
{
    NavigateTo(ShellComboBox1->currentText());
    ShellTreeView1->viewport()->update();
}

void TFormDirSelect::BtOKClick()
{
    const QString path = SelectedPath();
    const QFileInfo info(path);
    if (!path.isEmpty() && info.isFile()) {
        DirSelFile = path;
        DirSelFolder = QDir::toNativeSeparators(info.absolutePath() + QLatin1Char('/'));
        DirSelItem = m_model->data(ShellTreeView1->currentIndex(), Qt::DisplayRole).toString();
    } else {
        DirSelFile.clear();
        DirSelItem.clear();
        DirSelFolder = path;
    }
    // The root folder is nothing but its separator, so it keeps it.
    if (DirSelFolder.endsWith(QDir::separator()) && DirSelFolder.size() > 1)
        DirSelFolder.chop(1);
    accept();
}

void TFormDirSelect::BtCancelarClick()
{
    reject();
}

void TFormDirSelect::reject()
{
    // Escape and the close box cancel as the button does.
    DirSelFolder.clear();
    DirSelFile.clear();
    DirSelItem.clear();
    QDialog::reject();
}
