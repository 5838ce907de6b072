// SPDX-License-Identifier: GPL-3.0-or-later
#include "StatusBar.h"

#include "Colours.h"
#include "Controls.h"

#include <QEvent>
#include <QLabel>
#include <QPointer>

namespace Kit {

namespace {

class HintFilter final : public QObject
{
public:
    HintFilter(QWidget* widget, const QString& hint, QLabel* bar)
        : QObject(widget)
        , m_hint(hint)
        , m_bar(bar)
    {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (m_bar && event->type() == QEvent::Enter)
            m_bar->setText(m_hint);
        else if (m_bar && event->type() == QEvent::Leave && m_bar->text() == m_hint)
            m_bar->clear();
        return QObject::eventFilter(watched, event);
    }

private:
    QString m_hint;
    QPointer<QLabel> m_bar;
};

} // namespace

QLabel* MakeStatusBar(QWidget* parent)
{
    auto* bar = new QLabel(parent);
    bar->setObjectName(QStringLiteral("panInfo"));
    FillBackground(bar, Navy);
    SetColour(bar, QPalette::WindowText, Qt::white);
    bar->setFont(Verdana(12));
    bar->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return bar;
}

void InstallHint(QWidget* widget, const QString& hint, QLabel* statusBar)
{
    widget->installEventFilter(new HintFilter(widget, hint, statusBar));
    widget->setAccessibleDescription(hint.trimmed());
}

} // namespace Kit
