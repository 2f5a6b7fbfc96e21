// Folder selection: a folder tree with a path box.
#pragma once

#include <QDialog>

class TFormDirSelect : public QDialog {
    Q_OBJECT
public:
    explicit TFormDirSelect(QWidget* parent = nullptr);
};
