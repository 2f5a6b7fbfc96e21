#include "app/UpDown.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

namespace {

QToolButton* ArrowButton(Qt::ArrowType arrow, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

TUpDown::TUpDown(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent)
{
    const bool vertical = orientation == Qt::Vertical;
    m_next = ArrowButton(vertical ? Qt::UpArrow : Qt::RightArrow, this);
    m_prev = ArrowButton(vertical ? Qt::DownArrow : Qt::LeftArrow, this);
    auto* layout = new QBoxLayout(vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (vertical) {
        m_next->setFixedSize(17, 11);
        m_prev->setFixedSize(17, 11);
        layout->addWidget(m_next);
        layout->addWidget(m_prev);
    } else {
        m_next->setFixedSize(15, 17);
        m_prev->setFixedSize(15, 17);
        layout->addWidget(m_prev);
        layout->addWidget(m_next);
    }
    connect(m_next, &QToolButton::clicked, this, [this] { Step(true); });
    connect(m_prev, &QToolButton::clicked, this, [this] { Step(false); });
}

void TUpDown::SetRange(int min, int max)
{
    m_min = min;
    m_max = max;
    m_position = std::clamp(m_position, m_min, m_max);
}

void TUpDown::SetPosition(int position)
{
    m_position = std::clamp(position, m_min, m_max);
    if (m_associate)
        m_associate->setText(QString::number(m_position));
}

void TUpDown::SetAssociate(QLineEdit* edit)
{
    m_associate = edit;
    SetPosition(m_position);
}

void TUpDown::Step(bool next)
{
    if (m_associate) {
        bool ok = false;
        const int typed = m_associate->text().toInt(&ok);
        if (ok)
            m_position = std::clamp(typed, m_min, m_max);
    }
    SetPosition(m_position + (next ? m_increment : -m_increment));
    emit Click(next);
}
