// A fixture for the application's windows: settings and the per-user data
// folder live in a fresh temporary folder, never in the real user's home, and
// the shared variables start as at program start.
#pragma once

#include "app/AppWindows.h"
#include "app/FormBrumex.h"

#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The store as the program sees it ("Conf" group begun).
    std::unique_ptr<QSettings> Store() const;
    QString StoreFile() const;
    QString DataHome() const { return m_dir.path() + "/data"; }

    // Creates the nine windows (the main window owns the rest).
    TFormBrumex& CreateWindows();
    const TAppWindows& Windows() const { return m_main->Windows(); }
    void DestroyWindows() { m_main.reset(); }

    // Closes the next message box or modal dialog as soon as it opens and
    // returns the texts of the message boxes closed so far.
    void CloseNextModal();
    QStringList ModalTexts() const { return *m_modalTexts; }
    // Presses the button of the next message box; its caption and text join
    // Asked() as "caption|text".
    void Answer(QMessageBox::StandardButton button);
    QStringList Asked() const { return *m_asked; }
    // Picks the file in the next file dialog (or cancels it when empty).
    void ChooseFile(const QString& file);

    // A layer file of n closed squares, 20 degrees apart along the equator,
    // titled "Q0", "Q1", ...; answers the file name.
    static QString WriteSquaresLayer(const QString& file, int squares);

private:
    QTemporaryDir m_dir;
    QByteArray m_oldDataHome;
    std::unique_ptr<TFormBrumex> m_main;
    std::shared_ptr<QStringList> m_modalTexts = std::make_shared<QStringList>();
    std::shared_ptr<QStringList> m_asked = std::make_shared<QStringList>();
};
