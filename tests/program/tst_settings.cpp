// SPDX-License-Identifier: GPL-3.0-or-later
#include "program/IniFile.h"
#include "program/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void iniFile_setKeepsEveryOtherLine()
    {
        IniFile ini("; a comment\r\n[Backup]\r\nGenerazioni = 5\r\n\r\n[Altro]\r\nx=\"quoted\"\r\n");
        QCOMPARE(ini.Find("backup", "GENERAZIONI"), std::optional("5"_ba));
        QCOMPARE(ini.Find("Altro", "x"), std::optional("quoted"_ba));
        QVERIFY(!ini.Find("Altro", "Generazioni"));
        ini.Set("Backup", "SecondaDestinazione", "/media/chiavetta");
        ini.Set("Backup", "Generazioni", "7");
        ini.Set("Scadenze", "Preavviso", "14");
        QCOMPARE(ini.Content("\n"),
                 "; a comment\n[Backup]\nGenerazioni=7\nSecondaDestinazione=/media/chiavetta\n\n"
                 "[Altro]\nx=\"quoted\"\n[Scadenze]\nPreavviso=14\n"_ba);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, ini.Set("Backup", "Generazioni", "1\n[Accesso]"));
    }

    void settings_keepUtf8AndRefuseWhatTheyCannotWrite()
    {
        QTemporaryDir dir;
        const Settings settings(dir.path());
        QCOMPARE(settings.Number("Backup", "Generazioni", 10, 1, 1000), 10);
        settings.SetText("Backup", "SecondaDestinazione", u"/media/Chiavetta \u00e0 \u20ac"_s);
        settings.SetNumber("Backup", "Generazioni", 0);
        QCOMPARE(Settings(dir.path()).Text("backup", "secondadestinazione"),
                 u"/media/Chiavetta \u00e0 \u20ac"_s);
        QCOMPARE(settings.Number("Backup", "Generazioni", 10, 1, 1000), 10); // out of range
        QFile file(settings.Path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("Chiavetta \xc3\xa0 \xe2\x82\xac"));
        file.close();

        // A file that cannot be replaced (a folder in its place): the failure is raised, nothing changes.
        QTemporaryDir other;
        QVERIFY(QDir(other.path()).mkdir(QString::fromLatin1(Settings::FileName)));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 Settings(other.path()).SetNumber("Backup", "Generazioni", 3));
        QVERIFY(QFileInfo(Settings(other.path()).Path()).isDir());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
