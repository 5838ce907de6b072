// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenKit.h"

#include "Desktop.h"

#include <QAbstractScrollArea>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <exception>

#include "storage/ESQLiteException.h"

namespace ScreenKit {

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
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_action();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_action;
};

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
        if (event->type() == QEvent::Enter)
            m_bar->setText(m_hint);
        else if (event->type() == QEvent::Leave && m_bar->text() == m_hint)
            m_bar->clear();
        return QObject::eventFilter(watched, event);
    }

private:
    QString m_hint;
    QPointer<QLabel> m_bar;
};

} // namespace

void InstallHint(QWidget* widget, const QString& hint, QLabel* statusBar)
{
    widget->installEventFilter(new HintFilter(widget, hint, statusBar));
    widget->setAccessibleDescription(hint.trimmed());
}

QPixmap Picture(const QString& name)
{
    return QPixmap(name.contains(QLatin1Char('.'))
                       ? QStringLiteral(":/art/") + name
                       : QStringLiteral(":/art/") + name + QStringLiteral(".png"));
}

void SetUpWindow(QWidget* window, const QString& objectName, const QString& title, const QColor& background)
{
    window->setObjectName(objectName);
    window->setWindowTitle(title);
    window->setWindowIcon(Picture(QStringLiteral("app_icon")));
    window->setAutoFillBackground(true);
    QPalette p = window->palette();
    p.setColor(QPalette::Window, background);
    window->setPalette(p);
}

QWidget* SetUpContainerWindow(QWidget* window, const QString& objectName, const QString& title)
{
    window->setObjectName(objectName);
    window->setWindowTitle(title);
    window->setWindowIcon(Picture(QStringLiteral("app_icon")));
    window->setMinimumSize(1022, 704);
    TileBackground(window, Picture(QStringLiteral("pattern")));
    auto* container = new QWidget(window);
    container->setObjectName(QStringLiteral("grpContainer"));
    container->resize(ContainerSize);
    return container;
}

QPoint CentredContainerPosition(QSize outerSize, int leftShift)
{
    return {outerSize.width() / 2 - ContainerSize.width() / 2 - leftShift,
            outerSize.height() / 2 - ContainerSize.height() / 2 - 18};
}

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

QLabel* MakeStatusBar(QWidget* parent)
{
    auto* bar = new QLabel(parent);
    bar->setObjectName(QStringLiteral("panInfo"));
    bar->setAutoFillBackground(true);
    QPalette p = bar->palette();
    p.setColor(QPalette::Window, Navy);
    p.setColor(QPalette::WindowText, Qt::white);
    bar->setPalette(p);
    QFont f(QStringLiteral("Verdana"));
    f.setPixelSize(12);
    bar->setFont(f);
    bar->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return bar;
}

void TileBackground(QWidget* window, const QPixmap& pattern)
{
    QPalette p = window->palette();
    p.setBrush(QPalette::Window, QBrush(pattern));
    window->setPalette(p);
    window->setAutoFillBackground(true);
}

void ShowMaximised(QWidget* window)
{
    if (!window->isVisible()) {
        if (QScreen* screen = window->screen())
            window->setGeometry(screen->availableGeometry());
    }
    window->showMaximized();
}

void Guarded(QWidget* parent, const std::function<void()>& action)
{
    try {
        action();
    } catch (const ESQLiteException& e) {
        desktop().Error(parent, e.message());
    } catch (const std::exception& e) {
        desktop().Error(parent, QString::fromLocal8Bit(e.what()));
    }
}

} // namespace ScreenKit

BusyCursor::BusyCursor()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    QGuiApplication::restoreOverrideCursor();
}

PointerButton::PointerButton(const QString& objectName, QWidget* parent)
    : QAbstractButton(parent)
{
    setObjectName(objectName);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void PointerButton::enterEvent(QEnterEvent* event)
{
    emit hovered();
    QAbstractButton::enterEvent(event);
}

void PointerButton::leaveEvent(QEvent* event)
{
    emit left();
    QAbstractButton::leaveEvent(event);
}

CommandPicture::CommandPicture(const QString& objectName, const QPixmap& picture, QWidget* parent)
    : PointerButton(objectName, parent)
    , m_picture(picture)
{
    setAttribute(Qt::WA_Hover);
    resize(sizeHint());
    connect(this, &PointerButton::hovered, this, [this] {
        if (m_statusBar)
            m_statusBar->setText(m_hint);
    });
    connect(this, &PointerButton::left, this, [this] {
        if (m_statusBar && m_statusBar->text() == m_hint)
            m_statusBar->clear();
    });
}

void CommandPicture::SetHint(const QString& hint, QLabel* statusBar)
{
    m_hint = hint;
    m_statusBar = statusBar;
    setToolTip(QString());
    updateAccessibleName();
}

void CommandPicture::SetPicture(const QPixmap& picture)
{
    m_picture = picture;
    update();
}

void CommandPicture::SetCaption(const QString& caption)
{
    m_caption = caption;
    updateAccessibleName();
    update();
}

void CommandPicture::updateAccessibleName()
{
    setAccessibleName(!m_caption.isEmpty() ? m_caption : m_hint.trimmed());
    setAccessibleDescription(m_hint.trimmed());
}

QSize CommandPicture::sizeHint() const
{
    QSize s = m_picture.deviceIndependentSize().toSize();
    if (!m_caption.isEmpty())
        s += QSize(0, fontMetrics().height() + 2);
    return s;
}

void CommandPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QSize ps = m_picture.deviceIndependentSize().toSize();
    const int textHeight = m_caption.isEmpty() ? 0 : fontMetrics().height() + 2;
    QPoint at((width() - ps.width()) / 2, (height() - textHeight - ps.height()) / 2);
    if (isDown())
        at += QPoint(1, 1);
    if (underMouse() && isEnabled()) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 90));
        p.drawRoundedRect(rect().adjusted(0, 0, -1, -1), 6, 6);
    }
    if (!isEnabled())
        p.setOpacity(0.35);
    p.drawPixmap(at, m_picture);
    if (!m_caption.isEmpty())
        p.drawText(QRect(0, height() - textHeight, width(), textHeight), Qt::AlignCenter, m_caption);
}

LinkLabel::LinkLabel(const QString& objectName, const QString& text, const QColor& colour,
                     const QColor& hoverColour, QWidget* parent)
    : PointerButton(objectName, parent)
    , m_colour(colour)
    , m_restColour(colour)
    , m_hoverColour(hoverColour)
{
    setText(text);
    setAccessibleName(text);
    if (m_hoverColour.isValid()) {
        connect(this, &PointerButton::hovered, this, [this] { SetColour(m_hoverColour); });
        connect(this, &PointerButton::left, this, [this] { SetColour(m_restColour); });
    }
}

void LinkLabel::SetColour(const QColor& colour)
{
    if (m_colour != colour) {
        m_colour = colour;
        update();
    }
}

QSize LinkLabel::sizeHint() const
{
    return fontMetrics().size(Qt::TextSingleLine, text()) + QSize(4, 2);
}

void LinkLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QFont f = font();
    f.setUnderline(true);
    p.setFont(f);
    p.setPen(m_colour);
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, text());
}
