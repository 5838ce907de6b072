// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

struct evp_md_ctx_st;

// SHA-256 through libcrypto, which uses the processor's SHA instructions where it has them: several times
// faster than a portable implementation, and a generation hashes every byte of the archives twice.
class Sha256
{
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void AddData(QByteArrayView bytes);
    // The digest of everything added, in lower-case hex; empty when libcrypto failed.
    QByteArray HexResult();

    static QByteArray Hex(QByteArrayView bytes);

private:
    evp_md_ctx_st* m_context;
    bool m_failed = false;
};
