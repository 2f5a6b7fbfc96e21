// A pair of arrow buttons that steps an integer position, optionally shown in
// an associated edit box (the edit's text is read before each step, so typing
// in the edit and stepping mix freely).
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(Qt::Orientation orientation, QWidget* parent = nullptr);

    void SetRange(int min, int max);
    void SetIncrement(int increment) { m_increment = increment; }
    void SetPosition(int position);
    int Position() const { return m_position; }
    void SetAssociate(QLineEdit* edit);

    QToolButton* NextButton() const { return m_next; }
    QToolButton* PrevButton() const { return m_prev; }

signals:
    // next is true for the up (vertical) or right (horizontal) arrow.
    void Click(bool next);

private:
    void Step(bool next);

    QToolButton* m_next;
    QToolButton* m_prev;
    QLineEdit* m_associate = nullptr;
    int m_min = 0;
    int m_max = 100;
    int m_increment = 1;
    int m_position = 0;
};
