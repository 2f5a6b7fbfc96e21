// Answers for the modal dialogs that tool commands open: the next file
// dialog gets a file name (or is cancelled), the next message box a button.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QLineEdit>
#include <QTimer>

// When `dialog` next shows, chooses `file` and accepts; an empty name cancels.
inline void AnswerFileDialog(QFileDialog& dialog, const QString& file)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, &dialog, file] {
        if (!dialog.isVisible())
            return;
        timer->deleteLater();
        if (file.isEmpty()) {
            dialog.reject();
            return;
        }
        // Typed into the name box, as a user does; the dialog then answers it.
        if (auto* name = dialog.findChild<QLineEdit*>("fileNameEdit"))
            name->setText(file);
        QMetaObject::invokeMethod(&dialog, "done", Q_ARG(int, QDialog::Accepted));
    });
    timer->start();
}

// When the next message box shows, presses its button.
inline void AnswerMessageBox(QMessageBox::StandardButton button)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        timer->deleteLater();
        box->button(button)->click();
    });
    timer->start();
}
