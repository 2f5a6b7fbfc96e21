// Answers for the modal dialogs that tool commands open: the next file
// dialog gets a file name (or is cancelled), the next message box a button.
#pragma once

#include "common/AnswerTimer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QLineEdit>
#include <QTimer>
#include <functional>

// Runs `act` on the first modal window of type T that opens (also one that
// opens inside a modal window already showing).
template <typename T> void OnNextModal(std::function<void(T&)> act)
{
    QTimer* timer = NewAnswerTimer(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        auto* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        act(*modal);
    });
}

// When `dialog` next shows, chooses `file` and accepts; an empty name cancels.
inline void AnswerFileDialog(QFileDialog& dialog, const QString& file)
{
    QTimer* timer = NewAnswerTimer(10);
    // The dialog as context: a dialog gone before it showed ends the answer.
    QObject::connect(timer, &QTimer::timeout, &dialog, [timer, &dialog, file] {
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
}

// When the next message box shows, presses its button.
inline void AnswerMessageBox(QMessageBox::StandardButton button)
{
    OnNextModal<QMessageBox>([button](QMessageBox& box) { box.button(button)->click(); });
}
