// Folder selection: a tree of the computer's folders and files with a path
// box. The caller sets DirSelFolder, shows the window modally and reads the
// three results.
#pragma once

#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

class TFormDirSelect : public QDialog {
    Q_OBJECT
public:
    explicit TFormDirSelect(QWidget* parent = nullptr);

    // In: the starting path. Out: the chosen folder, without a trailing
    // separator (the root keeps its one).
    QString DirSelFolder;
    // The chosen file's full path, or empty when a folder was chosen.
    QString DirSelFile;
    // The display name of the chosen tree item, or empty.
    QString DirSelItem;

    QLabel* LabelDirAtu;
    QComboBox* ShellComboBox1;
    QTreeView* ShellTreeView1;
    QPushButton* BtOK;
    QPushButton* BtCancelar;

    // The path of the tree's current item, empty when none.
    QString SelectedPath() const;

    void FormActivate();
    void ShellTreeView1Change();
    void ShellComboBox1Change();
    void BtOKClick();
    void BtCancelarClick();
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void NavigateTo(const QString& path);

    QFileSystemModel* m_model;
};
