// SPDX-License-Identifier: GPL-3.0-or-later
#include "OdtWriter.h"

#include "EAutomationError.h"
#include "TextDocument.h"

#include <QBuffer>
#include <QFileDevice>
#include <QTextDocumentWriter>

using namespace Qt::Literals::StringLiterals;

namespace DocumentServer::OdtWriter {

void Write(const TextDocument& document, QIODevice& device)
{
    const auto fail = [&](const QString& reason) {
        throw EAutomationError(u"Impossibile scrivere il documento: %1."_s.arg(reason));
    };
    // Qt's writer reports success whatever its device met, so it writes into memory, and the bytes go
    // onto the device in writes whose results are checked.
    QBuffer content;
    content.open(QIODevice::WriteOnly);
    QTextDocumentWriter writer(&content, "odf");
    if (!writer.write(&document.text))
        fail(u"formato non disponibile"_s);
    const QByteArray& bytes = content.data();
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = device.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            fail(device.errorString());
        done += written;
    }
    if (auto* file = qobject_cast<QFileDevice*>(&device);
        file && (!file->flush() || file->error() != QFileDevice::NoError))
        fail(file->errorString());
}

} // namespace DocumentServer::OdtWriter
