// The file question of the file commands, asked through one of the main
// window's dialogs (ODBrumex to open, SDBrumex to save).
#pragma once

#include <QFileDialog>
#include <QString>

struct TFileQuestion {
    QString Filter; // "WayPoints (*.Wpt)"
    QString DefaultSuffix; // "Wpt"
    QString Folder; // where the dialog starts
};

// The chosen file, or empty when the user cancels. Opening asks for an
// existing file.
QString AskFile(QFileDialog& dialog, QFileDialog::AcceptMode mode, const TFileQuestion& question);
