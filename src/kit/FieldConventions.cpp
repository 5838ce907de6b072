// SPDX-License-Identifier: GPL-3.0-or-later
#include "FieldConventions.h"

#include "Colours.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <limits>

namespace Kit {

namespace {

void setBase(QWidget* field, const QColor& colour)
{
    QPalette p = field->palette();
    p.setColor(QPalette::Base, colour);
    field->setPalette(p);
    if (auto* combo = qobject_cast<QComboBox*>(field)) {
        p.setColor(QPalette::Button, colour);
        combo->setPalette(p);
    }
}

bool isEnter(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

class FocusColourFilter final : public QObject
{
public:
    FocusColourFilter(QWidget* field, const QColor& rest)
        : QObject(field)
        , m_rest(rest)
    {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn)
            setBase(static_cast<QWidget*>(parent()), FocusYellow);
        else if (event->type() == QEvent::FocusOut)
            setBase(static_cast<QWidget*>(parent()), m_rest);
        return QObject::eventFilter(watched, event);
    }

private:
    QColor m_rest;
};

class EnterFilter final : public QObject
{
public:
    EnterFilter(QWidget* field, std::function<void()> action)
        : QObject(field)
        , m_action(std::move(action))
    {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (isEnter(event)) {
            m_action();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_action;
};

class EnterPressesButtons final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (isEnter(event)) {
            auto* button = qobject_cast<QPushButton*>(watched);
            if (button && button->isEnabled() && button->hasFocus()) {
                button->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void InstallFocusColours(QWidget* field, const QColor& restColour)
{
    setBase(field, restColour);
    auto* filter = new FocusColourFilter(field, restColour);
    field->installEventFilter(filter);
    // An editable list takes the focus in its own line edit.
    if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit())
        combo->lineEdit()->installEventFilter(filter);
}

void OnEnter(QWidget* field, std::function<void()> action)
{
    field->installEventFilter(new EnterFilter(field, std::move(action)));
}

void InstallEnterChain(QWidget* screen, const QStringList& names)
{
    for (qsizetype i = 0; i + 1 < names.size(); ++i) {
        auto* field = screen->findChild<QWidget*>(names.at(i));
        auto* next = screen->findChild<QWidget*>(names.at(i + 1));
        Q_ASSERT(field && next);
        QPointer<QWidget> target(next);
        OnEnter(field, [target] {
            if (target)
                target->setFocus(Qt::OtherFocusReason);
        });
    }
}

void UnlimitTextLength(QWidget* root)
{
    for (QLineEdit* edit : root->findChildren<QLineEdit*>())
        edit->setMaxLength(std::numeric_limits<int>::max());
}

QObject* MakeEnterPressesButtons(QObject* parent)
{
    return new EnterPressesButtons(parent);
}

} // namespace Kit
