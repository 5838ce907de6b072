// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Crypt.h"
#include "shell/PasswordFile.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestPassword : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString file(const QString& name = QString::fromLatin1(PasswordFile::FileName)) const
    {
        return m_dir.filePath(name);
    }

private slots:
    void scramble_roundTripsAndIsUpperHex()
    {
        QCOMPARE(Crypt::Scramble({}), QByteArray());
        QCOMPARE(Crypt::Unscramble({}), QByteArray());
        QByteArray all;
        for (int i = 0; i < 255; ++i)
            all.append(char(i + 1));
        const QByteArray hex = Crypt::Scramble(all);
        QCOMPARE(hex.size(), all.size() * 2);
        for (char c : hex)
            QVERIFY((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
        QCOMPARE(Crypt::Unscramble(hex), all);
        QCOMPARE(Crypt::Unscramble(hex.toLower()), all);
        // The key follows the scrambled bytes: the same letter scrambles differently each time.
        const QByteArray aaa = Crypt::Scramble("AAA");
        QVERIFY(aaa.left(2) != aaa.mid(2, 2));
        // 7429 >> 8 is 29 (0x1D): the first byte is XORed with it.
        QCOMPARE(Crypt::Scramble("R").left(2), QByteArray::number('R' ^ 0x1D, 16).toUpper());
    }

    void scramble_knownAnswers_data()
    {
        // Worked by hand from the rules: key 7429, c = b XOR (key >> 8), key = ((key + c) * 40693 + 27431)
        // mod 65536. A wrong constant used both ways would still round-trip; it would not give these.
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("scrambled");
        QTest::newRow("first password") << "RICONOSCIMENTO"_ba
                                        << "4F1D5CD3CC5528D913D1C74E269F"_ba;
        QTest::newRow("one letter") << "A"_ba
                                    << "5C"_ba;
        QTest::newRow("blank") << " "_ba
                               << "3D"_ba;
        QTest::newRow("word") << "PASSWORD"_ba
                              << "4D57257D85FB9581"_ba;
        QTest::newRow("accented") << "CITT\xc0 2024"_ba
                                  << "5EED0CEBC88ADA8CF2F9"_ba;
    }
    void scramble_knownAnswers()
    {
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, scrambled);
        QCOMPARE(Crypt::Scramble(plain), scrambled);
        QCOMPARE(Crypt::Unscramble(scrambled), plain);
    }

    void unscramble_ignoresAnOddDigitAndRefusesNonHex()
    {
        const QByteArray hex = Crypt::Scramble("RICONOSCIMENTO");
        QCOMPARE(Crypt::Unscramble(hex + "7"), "RICONOSCIMENTO"_ba);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Crypt::Unscramble("4G"));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Crypt::Unscramble(hex + "ZZ"));
    }

    void normalise_upperCasesAToZOnlyAndTrims()
    {
        QCOMPARE(PasswordFile::Normalise(u"  riConoscimento \t"_s).value(), "RICONOSCIMENTO"_ba);
        // Accented letters stay as typed, in their Windows-1252 bytes.
        QCOMPARE(PasswordFile::Normalise(u"perch\u00e9"_s).value(), "PERCH\xe9"_ba);
        QVERIFY(!PasswordFile::Normalise(u"\u732b"_s));
    }

    void readValue_followsProfileRules()
    {
        const QString path = file(u"rules.ini"_s);
        PasswordFile pf(path);
        QCOMPARE(pf.ReadValue(), QByteArray()); // no file
        QVERIFY(TestFiles::WriteFile(path, "[Altro]\r\nValore=11\r\n"));
        QCOMPARE(pf.ReadValue(), QByteArray()); // no section
        QVERIFY(TestFiles::WriteFile(path, "[Accesso]\r\nAltro=11\r\n"));
        QCOMPARE(pf.ReadValue(), QByteArray()); // no key
        QVERIFY(TestFiles::WriteFile(path,
                                     "; comment\n[ accesso ]\nVALORE = \"ABCD\" \n[Accesso2]\nValore=99\n"));
        QCOMPARE(pf.ReadValue(), "ABCD"_ba);
    }

    void writeValue_keepsTheRestOfTheFile()
    {
        const QString path = file(u"keep.ini"_s);
        QVERIFY(TestFiles::WriteFile(
            path, "[Prima]\r\nA=1\r\n[Accesso]\r\nValore=00\r\nAltro=2\r\n[Dopo]\r\nB=3\r\n"));
        PasswordFile(path).WriteValue("ABCDEF");
        QCOMPARE(TestFiles::ReadFile(path),
                 "[Prima]\r\nA=1\r\n[Accesso]\r\nValore=ABCDEF\r\nAltro=2\r\n[Dopo]\r\nB=3\r\n"_ba);
        const QString fresh = file(u"fresh.ini"_s);
        PasswordFile(fresh).WriteValue("12");
        QCOMPARE(TestFiles::ReadFile(fresh), "[Accesso]\r\nValore=12\r\n"_ba);
        QVERIFY(TestFiles::WriteFile(fresh, "[Accesso]\r\nAltro=1\r\n\r\n[Dopo]\r\n"));
        PasswordFile(fresh).WriteValue("34");
        QCOMPARE(TestFiles::ReadFile(fresh), "[Accesso]\r\nAltro=1\r\nValore=34\r\n\r\n[Dopo]\r\n"_ba);
    }

    void writeValue_failureLeavesNoTrace()
    {
        const QString nowhere = m_dir.filePath(u"missing/unins000.dll"_s);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, PasswordFile(nowhere).WriteValue("AB"));
        QVERIFY(!QFileInfo::exists(nowhere));
        // A disk that takes no more bytes: the old file stays whole.
        const QString path = m_dir.filePath(u"unins000.dll"_s);
        QVERIFY(TestFiles::WriteFile(path, "[Accesso]\r\nValore=AB\r\n"));
        {
            TestFiles::FileSizeLimit full(4);
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, PasswordFile(path).WriteValue("CD"));
        }
        QCOMPARE(TestFiles::ReadFile(path), "[Accesso]\r\nValore=AB\r\n"_ba);
        QCOMPARE(QDir(m_dir.path()).entryList({u"unins000.dll*"_s}, QDir::Files),
                 QStringList{u"unins000.dll"_s});
    }

    void matches_comparesAsStored()
    {
        const PasswordFile pf(file());
        QVERIFY(!pf.Matches(u"x"_s)); // missing file: the stored password is empty
        pf.WriteValue(Crypt::Scramble(*PasswordFile::Normalise(u"riconoscimento"_s)));
        for (const QString& typed : {u"riconoscimento"_s, u"RICONOSCIMENTO"_s, u"  RiCoNoScImEnTo  "_s})
            QVERIFY(pf.Matches(typed));
        QVERIFY(!pf.Matches(u"riconosciment"_s));
        QVERIFY(!pf.Matches(u"\u732b"_s));
        pf.WriteValue(Crypt::Scramble(*PasswordFile::Normalise(u"citt\u00e0"_s)));
        QVERIFY(pf.Matches(u"CITT\u00e0"_s));
        QVERIFY(!pf.Matches(u"CITT\u00c0"_s)); // accented letters are compared as typed
        const QString long230 = QString(230, u'k');
        pf.WriteValue(Crypt::Scramble(*PasswordFile::Normalise(long230)));
        QVERIFY(pf.Matches(long230.toUpper()));
        QVERIFY(TestFiles::WriteFile(file(), "[Accesso]\r\nValore=XYZW\r\n"));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, pf.Matches(u"x"_s));
    }
};

QTEST_GUILESS_MAIN(TestPassword)
#include "tst_password.moc"
