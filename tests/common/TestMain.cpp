// Test entry point: a QApplication exists for every test, so widget, canvas
// and timer code runs as in the program (offscreen platform, 96 dpi), with
// a cache folder of its own.
#include "common/AnswerTimer.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class AnswerTimerCleaner : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override { DeleteAnswerTimers(); }
};
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Caches the code under test writes (metadata files) stay out of the
    // user's own cache folder.
    const QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new AnswerTimerCleaner);
    return RUN_ALL_TESTS();
}
