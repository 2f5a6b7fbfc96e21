#include "app/UpDown.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(UpDown, StepsTheAssociatedEditWithinItsRange)
{
    QLineEdit edit;
    TUpDown upDown(Qt::Vertical);
    upDown.SetRange(0, 360);
    upDown.SetIncrement(5);
    upDown.SetPosition(15);
    upDown.SetAssociate(&edit);
    EXPECT_EQ(edit.text(), "15");

    const struct {
        QString typed; // empty: leave the edit as it is
        bool next;
        QString shown;
    } steps[] = {
        { "", true, "20" },
        { "", false, "15" },
        { "33", true, "38" },
        { "358", true, "360" },
        { "", true, "360" },
        { "2", false, "0" },
        { "abc", true, "5" },
        { "9999", false, "355" },
    };
    QSignalSpy clicks(&upDown, &TUpDown::Click);
    for (const auto& s : steps) {
        if (!s.typed.isEmpty())
            edit.setText(s.typed);
        (s.next ? upDown.NextButton() : upDown.PrevButton())->click();
        EXPECT_EQ(edit.text(), s.shown) << s.typed.toStdString();
        EXPECT_EQ(clicks.last()[0].toBool(), s.next);
    }
    EXPECT_EQ(clicks.size(), static_cast<qsizetype>(std::size(steps)));
}

TEST(UpDown, WithoutAnEditOnlyThePositionMoves)
{
    TUpDown upDown(Qt::Horizontal);
    upDown.SetRange(-32000, 32000);
    upDown.NextButton()->click();
    upDown.NextButton()->click();
    upDown.PrevButton()->click();
    EXPECT_EQ(upDown.Position(), 1);
}
