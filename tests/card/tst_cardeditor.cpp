// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/CardEditor.h"

#include <QtTest>

class TestCardEditor : public QObject
{
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(TestCardEditor)
#include "tst_cardeditor.moc"
