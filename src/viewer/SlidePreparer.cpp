// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlidePreparer.h"

SlidePreparer::SlidePreparer(QObject* parent)
    : QObject(parent)
{
    m_thread.setObjectName(QStringLiteral("SlidePreparer"));
}

SlidePreparer::~SlidePreparer()
{
    // A decoding under way ends first; its result, posted to this object, is dropped with it.
    m_latest = 0;
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

void SlidePreparer::Prepare(qint64 id, const QByteArray& picture, QSize area)
{
    if (!m_worker) {
        m_worker = new QObject;
        m_worker->moveToThread(&m_thread);
        m_thread.start(QThread::LowPriority);
    }
    const quint64 request = ++m_latest;
    m_pending = Slot{id, picture, area, request};
    m_ready.reset();
    m_readyPicture = {};
    QMetaObject::invokeMethod(
        m_worker,
        [this, request, picture, area] {
            // A request overtaken by a later one is not decoded at all.
            if (request != m_latest)
                return;
            FittedPicture fitted = DecodeFitted(picture, area);
            QMetaObject::invokeMethod(
                this, [this, request, fitted] { finished(request, fitted); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void SlidePreparer::finished(quint64 request, const FittedPicture& picture)
{
    if (!m_pending || m_pending->request != request)
        return;
    m_ready = std::move(m_pending);
    m_pending.reset();
    m_readyPicture = picture;
    emit Prepared();
}

void SlidePreparer::Forget()
{
    ++m_latest;
    m_pending.reset();
    m_ready.reset();
    m_readyPicture = {};
}

const FittedPicture* SlidePreparer::Find(qint64 id, const QByteArray& picture, QSize area) const
{
    if (!m_ready || m_ready->id != id || m_ready->area != area || m_ready->picture != picture)
        return nullptr;
    return &m_readyPicture;
}
