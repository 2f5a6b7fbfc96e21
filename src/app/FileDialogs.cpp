#include "app/FileDialogs.h"

QString AskFile(QFileDialog& dialog, QFileDialog::AcceptMode mode, const TFileQuestion& question)
{
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilter(question.Filter);
    dialog.setDefaultSuffix(question.DefaultSuffix);
    dialog.setDirectory(question.Folder);
    dialog.selectFile(QString());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
