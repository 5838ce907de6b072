// SPDX-License-Identifier: GPL-3.0-or-later
#include "Sha256.h"

#include <openssl/evp.h>

Sha256::Sha256()
    : m_context(EVP_MD_CTX_new())
{
    m_failed = !m_context || EVP_DigestInit_ex(m_context, EVP_sha256(), nullptr) != 1;
}

Sha256::~Sha256()
{
    EVP_MD_CTX_free(m_context);
}

void Sha256::AddData(QByteArrayView bytes)
{
    if (!m_failed && !bytes.isEmpty())
        m_failed = EVP_DigestUpdate(m_context, bytes.data(), std::size_t(bytes.size())) != 1;
}

QByteArray Sha256::HexResult()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (m_failed || EVP_DigestFinal_ex(m_context, digest, &length) != 1)
        return {};
    m_failed = true; // spent
    return QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex();
}

QByteArray Sha256::Hex(QByteArrayView bytes)
{
    Sha256 hash;
    hash.AddData(bytes);
    return hash.HexResult();
}
