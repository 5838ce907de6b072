// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QIODevice;

namespace DocumentServer {

struct TextDocument;

// Writes a document of the document server as OpenDocument text.
namespace OdtWriter {

// Writes document onto device, which is open for writing. Raises EAutomationError when the device does
// not take every byte, or, for a file, when the bytes cannot be flushed to it or it reported an error
// meanwhile: the content on the device is then incomplete and must not be used.
void Write(const TextDocument& document, QIODevice& device);

} // namespace OdtWriter

} // namespace DocumentServer
