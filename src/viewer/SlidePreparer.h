// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FittedPicture.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <optional>

// Prepares the coming slide's picture during the interval before its step: decoded and scaled to the size
// it is shown at, on a thread of its own (only the decoding runs there). The step then only checks that
// the card it read is still the one prepared, the same identifier with the same photo bytes, and shows
// the picture at once; a card added or changed meanwhile is decoded by the step itself.
class SlidePreparer : public QObject
{
    Q_OBJECT
public:
    explicit SlidePreparer(QObject* parent = nullptr);
    ~SlidePreparer() override;

    // Starts preparing a card's photo for an area, replacing whatever was prepared or being prepared.
    void Prepare(qint64 id, const QByteArray& picture, QSize area);
    // Drops what was prepared; a decoding under way is discarded when it ends.
    void Forget();
    // The picture prepared for exactly this card, photo and area; nullptr when it is another card or
    // photo, or its decoding has not ended yet. A photo that cannot be decoded is prepared too, as a
    // failed FittedPicture.
    const FittedPicture* Find(qint64 id, const QByteArray& picture, QSize area) const;
    // A decoding is under way.
    bool Busy() const noexcept { return m_pending.has_value(); }

signals:
    // The picture asked for last is ready.
    void Prepared();

private:
    struct Slot
    {
        qint64 id = 0;
        QByteArray picture;
        QSize area;
        quint64 request = 0;
    };
    void finished(quint64 request, const FittedPicture& picture);

    QThread m_thread;
    QObject* m_worker = nullptr; // lives in m_thread
    std::atomic<quint64> m_latest{0};
    std::optional<Slot> m_pending;
    std::optional<Slot> m_ready;
    FittedPicture m_readyPicture;
};
