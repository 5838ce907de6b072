// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/ui/RecordCard.h"
#include "kit/Artwork.h"
#include "kit/BusyCursor.h"
#include "kit/Colours.h"
#include "kit/CommandPicture.h"
#include "kit/Guard.h"
#include "kit/PictureBox.h"
#include "kit/StatusBar.h"
#include "kit/TfrmZoom.h"
#include "kit/WindowPlacement.h"
#include "program/ErrorText.h"
#include "shell/Crypt.h"
#include "shell/GuideTexts.h"
#include "shell/PasswordFile.h"
#include "shell/ui/TfrmAvvio.h"
#include "shell/ui/TfrmCambiaPassword.h"
#include "shell/ui/TfrmHelpForm.h"
#include "shell/ui/TfrmInfo.h"
#include "shell/ui/TfrmPassword.h"
#include "shell/ui/TfrmSplash.h"
#include "support/ProgramFixture.h"
#include "support/TestFiles.h"
#include "support/TestGui.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMovie>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestShellScreens : public QObject, ProgramFixture
{
    Q_OBJECT

    QString passwordPath() const { return m_dir->filePath(QString::fromLatin1(PasswordFile::FileName)); }
    void storePassword(const QString& password)
    {
        PasswordFile(passwordPath()).WriteValue(Crypt::Scramble(*PasswordFile::Normalise(password)));
    }
    void login(const QString& typed)
    {
        auto* edit = child<QLineEdit>(m_screens->Password(), u"txtPassword"_s);
        edit->setText(typed);
        child<QPushButton>(m_screens->Password(), u"cmdOK"_s)->click();
    }

private slots:
    void init()
    {
        startProgram();
        storePassword(u"riconoscimento"_s);
        m_screens->Password()->show();
    }
    void cleanup() { stopProgram(); }

    void startUp_showsOnlyThePasswordScreen()
    {
        QStringList names;
        for (QWidget* w : m_screens->All()) {
            names << w->objectName();
            QCOMPARE(w->isVisible(), w == m_screens->Password());
        }
        QCOMPARE(names.mid(0, 9), (QStringList{u"TfrmPassword"_s, u"TfrmAvvio"_s, u"TfrmCambiaPassword"_s,
                                               u"TfrmHelpForm"_s, u"TfrmInfo"_s, u"TfrmSplash"_s,
                                               u"TfrmZoom"_s, u"TfrmInfanzia"_s, u"TfrmAllegaCartella"_s}));
        QVERIFY(names.contains(u"TfrmHobby"_s));
        QCOMPARE(dynamic_cast<RecordCard*>(m_screens->CardByToken(u"hobby"_s))->objectName(), u"TfrmHobby"_s);
        QVERIFY(!m_screens->CardByToken(u"Hobby"_s));
    }

    void startUp_removesOnlyTheProgramsOwnStaleTemporaries()
    {
        // Times by the program's clock: an hour and more before it is stale, less is a write under way.
        QTemporaryDir dir;
        const QDir folder(dir.path());
        QVERIFY(folder.mkpath(u"Esportazioni"_s));
        const auto make = [&](const QString& name, qint64 minutesOld) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.setFileTime(m_desktop->now.addSecs(-60 * minutesOld),
                                     QFileDevice::FileModificationTime));
        };
        const QStringList stale = {
            u"unins000.dll.AbCdEf"_s, u"Scheda.bmp.xYzWvU"_s, u"unins000.dll.codazzurra-abcdef"_s,
            u"Esportazioni/.codazzurra-QwErTy.odt"_s, u"Esportazioni/.codazzurra-AsDfGh.xlsx"_s};
        const QStringList kept = {u"unins000.dll.FrEsHa"_s, // 59 minutes old
                                  u"unins000.dll"_s,
                                  u"unins000.dll.bak"_s,
                                  u"unins000.dll.backup"_s,
                                  u"unins000.dll.BACKUP"_s,
                                  u"unins000.dll.abc123"_s,
                                  u"unins000.dll.abcdefg"_s,
                                  u"xunins000.dll.abcdef"_s,
                                  u"Cani.db.abcdef"_s,
                                  u".codazzurra-QwErTy.odt"_s,
                                  u"Esportazioni/Rex.odt"_s,
                                  u"Esportazioni/.codazzurra-QwE.odt"_s,
                                  u"Esportazioni/unins000.dll.AbCdEf"_s};
        for (const QString& name : stale)
            make(name, 61);
        for (const QString& name : kept)
            make(name, name == kept.first() ? 59 : 600);
        QVERIFY(QFile::link(folder.filePath(u"Cani.db.abcdef"_s), folder.filePath(u"unins000.dll.LiNkAb"_s)));
        QVERIFY(folder.mkdir(u"Scheda.bmp.FoLdEr"_s));

        Screens screens(dir.path());
        for (const QString& name : stale)
            QVERIFY2(!QFileInfo::exists(folder.filePath(name)), qPrintable(name));
        for (const QString& name : kept)
            QVERIFY2(QFileInfo::exists(folder.filePath(name)), qPrintable(name));
        QVERIFY(QFileInfo(folder.filePath(u"unins000.dll.LiNkAb"_s)).isSymLink());
        QVERIFY(QFileInfo(folder.filePath(u"Scheda.bmp.FoLdEr"_s)).isDir());
    }

    void password_opensTheStartMenuInAnyCase()
    {
        auto* ok = child<QPushButton>(m_screens->Password(), u"cmdOK"_s);
        auto* edit = child<QLineEdit>(m_screens->Password(), u"txtPassword"_s);
        QVERIFY(!ok->isEnabled());
        QCOMPARE(edit->maxLength(), 230);
        QTest::keyClicks(edit, u"   "_s);
        QVERIFY(!ok->isEnabled());
        QTest::keyClick(edit, Qt::Key_Return); // blanks only: Enter does nothing
        QVERIFY(m_desktop->messages.isEmpty());

        login(u"sbagliata"_s);
        QCOMPARE(m_desktop->lastText(), u"Attenzione: password errata."_s);
        QCOMPARE(m_desktop->messages.back().title, u"Codazzurra"_s);
        QCOMPARE(edit->text(), QString());
        QVERIFY(m_screens->Password()->isVisible());

        edit->setText(u" RiConoscimento "_s);
        QTest::keyClick(edit, Qt::Key_Enter);
        QVERIFY(m_screens->StartMenu()->isVisible());
        QVERIFY(!m_screens->Password()->isVisible());
    }

    void password_damagedOrMissingFileIsReported()
    {
        QVERIFY(TestFiles::WriteFile(passwordPath(), "[Accesso]\r\nValore=4F1G\r\n"));
        login(u"riconoscimento"_s);
        QVERIFY(m_desktop->lastText().startsWith(u"Attenzione: si \u00e8 verificato un errore durante la "
                                                 "procedura di lettura della password."_s));
        QVERIFY(m_screens->Password()->isVisible());
        QFile::remove(passwordPath());
        login(u"riconoscimento"_s);
        QCOMPARE(m_desktop->lastText(), u"Attenzione: password errata."_s);
        QVERIFY(!QFileInfo::exists(passwordPath())); // no file is created
    }

    void changePassword_flow()
    {
        child<QPushButton>(m_screens->Password(), u"btnCambiaPassword"_s)->click();
        TfrmCambiaPassword* change = m_screens->ChangePassword();
        QVERIFY(change->isVisible());
        QVERIFY(!m_screens->Password()->isVisible());
        auto* old = child<QLineEdit>(change, u"txtPasswordOld"_s);
        auto* fresh = child<QLineEdit>(change, u"txtPasswordNew"_s);
        auto* confirm = child<QLineEdit>(change, u"txtConferma"_s);
        auto* ok = child<QPushButton>(change, u"cmdOK"_s);
        auto fill = [&](const QString& o, const QString& n, const QString& c) {
            old->setText(o);
            fresh->setText(n);
            confirm->setText(c);
        };

        fill(u"riconoscimento"_s, u"nuova"_s, u" "_s);
        QVERIFY(!ok->isEnabled());
        fill(u"altra"_s, u"nuova"_s, u"nuova"_s);
        ok->click();
        QCOMPARE(m_desktop->lastText(), u"Attenzione: vecchia password errata."_s);
        QCOMPARE(old->text(), QString());
        // The confirmation is compared as typed, case included.
        fill(u"riconoscimento"_s, u"Nuova"_s, u"nuova"_s);
        ok->click();
        QVERIFY(
            m_desktop->lastText().startsWith(u"Attenzione: la nuova password non \u00e8 stata confermata"_s));
        QCOMPARE(fresh->text(), QString());
        QCOMPARE(confirm->text(), QString());
        QVERIFY(PasswordFile(passwordPath()).Matches(u"riconoscimento"_s));

        fill(u"RICONOSCIMENTO"_s, u"x"_s, u"x"_s); // one character is enough
        ok->click();
        QCOMPARE(m_desktop->lastText(), u"Modifica della password avvenuta con successo."_s);
        QVERIFY(!change->isVisible());
        QVERIFY(m_screens->Password()->isVisible());
        QVERIFY(PasswordFile(passwordPath()).Matches(u"X"_s));
        login(u"x"_s);
        QVERIFY(m_screens->StartMenu()->isVisible());

        // After a restart the new password is the one asked for.
        m_screens = std::make_unique<Screens>(m_dir->path());
        m_screens->Password()->show();
        login(u"riconoscimento"_s);
        QCOMPARE(m_desktop->lastText(), u"Attenzione: password errata."_s);
        login(u" X "_s);
        QVERIFY(m_screens->StartMenu()->isVisible());
    }

    void changePassword_unwritableFileKeepsTheOldOne()
    {
        auto change = [&](const QString& old) {
            TfrmCambiaPassword* screen = m_screens->ChangePassword();
            screen->show();
            child<QLineEdit>(screen, u"txtPasswordOld"_s)->setText(old);
            child<QLineEdit>(screen, u"txtPasswordNew"_s)->setText(u"n"_s);
            child<QLineEdit>(screen, u"txtConferma"_s)->setText(u"n"_s);
            child<QPushButton>(screen, u"cmdOK"_s)->click();
        };
        // A password file that is a folder can be neither read nor replaced: nothing is stored.
        QFile::remove(passwordPath());
        QDir().mkpath(passwordPath());
        change(u"riconoscimento"_s);
        QCOMPARE(m_desktop->lastText(), u"Attenzione: vecchia password errata."_s);
        QVERIFY(QFileInfo(passwordPath()).isDir());
        QDir(passwordPath()).removeRecursively();

        // A disk that takes no more bytes: the old password stays.
        storePassword(u"riconoscimento"_s);
        const QByteArray before = TestFiles::ReadFile(passwordPath());
        {
            TestFiles::FileSizeLimit full(4);
            change(u"riconoscimento"_s);
        }
        QVERIFY(m_desktop->lastText().startsWith(u"Attenzione: si \u00e8 verificato un errore durante la "
                                                 "procedura di modifica della password."_s));
        QCOMPARE(TestFiles::ReadFile(passwordPath()), before);
    }

    void changePassword_enterMovesAlong()
    {
        child<QPushButton>(m_screens->Password(), u"btnCambiaPassword"_s)->click();
        TfrmCambiaPassword* change = m_screens->ChangePassword();
        change->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(change));
        auto* old = child<QLineEdit>(change, u"txtPasswordOld"_s);
        auto* confirm = child<QLineEdit>(change, u"txtConferma"_s);
        QCOMPARE(QApplication::focusWidget(), old);
        QCOMPARE(old->palette().color(QPalette::Base), Kit::FocusYellow);
        // What is drawn, not only the palette: the field really shows yellow, masked by circles.
        const QImage drawn = old->grab().toImage();
        QCOMPARE(QColor(drawn.pixel(drawn.width() - 6, drawn.height() / 2)), Kit::FocusYellow);
        QCOMPARE(old->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, old), 0x25CF);
        QTest::keyClicks(old, u"a"_s);
        QTest::keyClick(old, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(change, u"txtPasswordNew"_s));
        QCOMPARE(old->palette().color(QPalette::Base), QColor(Qt::white));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), confirm);
        QTest::keyClick(confirm, Qt::Key_Return); // OK is disabled: back to the first field
        QCOMPARE(QApplication::focusWidget(), old);
    }

    void buttons_enterPressesTheFocusedOne()
    {
        // The Enter chain leads to OK: Enter there must change the password, and Enter on a focused button
        // of the password screen presses it as well.
        child<QPushButton>(m_screens->Password(), u"btnCambiaPassword"_s)->click();
        TfrmCambiaPassword* change = m_screens->ChangePassword();
        change->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(change));
        auto* old = child<QLineEdit>(change, u"txtPasswordOld"_s);
        QTest::keyClicks(old, u"riconoscimento"_s);
        QTest::keyClick(old, Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), u"nuovissima"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), u"nuovissima"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(change, u"cmdOK"_s));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(m_desktop->lastText(), u"Modifica della password avvenuta con successo."_s);
        QVERIFY(PasswordFile(passwordPath()).Matches(u"nuovissima"_s));

        auto* password = m_screens->Password();
        password->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(password));
        auto* quit = child<QPushButton>(password, u"cmdEsci"_s);
        quit->setFocus();
        QTest::keyClick(quit, Qt::Key_Return);
        QCOMPARE(m_desktop->quits, 1);
    }

    void passwords_areTrimmedOfBlanksOnly()
    {
        // Stored passwords lose codes 0 to 32 at their ends, and nothing else: a new password ending in a
        // no-break space must not be confirmed by one without it, or the user would be locked out.
        TfrmCambiaPassword* change = m_screens->ChangePassword();
        change->show();
        child<QLineEdit>(change, u"txtPasswordOld"_s)->setText(u"riconoscimento"_s);
        child<QLineEdit>(change, u"txtPasswordNew"_s)->setText(u"segreta\u00a0"_s);
        child<QLineEdit>(change, u"txtConferma"_s)->setText(u"segreta"_s);
        child<QPushButton>(change, u"cmdOK"_s)->click();
        QVERIFY(
            m_desktop->lastText().startsWith(u"Attenzione: la nuova password non \u00e8 stata confermata"_s));
        QVERIFY(PasswordFile(passwordPath()).Matches(u"riconoscimento"_s));
        child<QLineEdit>(change, u"txtPasswordNew"_s)->setText(u"\tsegreta\u00a0 "_s);
        child<QLineEdit>(change, u"txtConferma"_s)->setText(u"segreta\u00a0"_s);
        child<QPushButton>(change, u"cmdOK"_s)->click();
        QCOMPARE(m_desktop->lastText(), u"Modifica della password avvenuta con successo."_s);
        login(u"segreta"_s);
        QCOMPARE(m_desktop->lastText(), u"Attenzione: password errata."_s);
        login(u" SEGRETA\u00a0"_s);
        QVERIFY(m_screens->StartMenu()->isVisible());

        // A no-break space alone is a password that can be typed and submitted.
        auto* edit = child<QLineEdit>(m_screens->Password(), u"txtPassword"_s);
        edit->setText(u"\u00a0"_s);
        QVERIFY(child<QPushButton>(m_screens->Password(), u"cmdOK"_s)->isEnabled());
    }

    void qtTexts_areItalian()
    {
        auto* app = qobject_cast<CodazzurraApplication*>(qApp);
        QVERIFY(app->HasItalianQtTexts());
        QMessageBox box(QMessageBox::NoIcon, u"t"_s, u"x"_s, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove(u'&'), u"S\u00ec"_s);
        QCOMPARE(box.button(QMessageBox::No)->text().remove(u'&'), u"No"_s);
    }

    void startMenu_tilesOpenTheirArchive()
    {
        login(u"riconoscimento"_s);
        TfrmAvvio* menu = m_screens->StartMenu();
        for (const QString& name : {u"imgAmici"_s, u"btnAmici"_s}) {
            QTest::mouseClick(child<QWidget>(menu, name), Qt::LeftButton);
            RecordCard* card = m_screens->Card(*Categories::ByKey(u"Amici"_s));
            QVERIFY(card->isVisible());
            QCOMPARE(card->windowTitle(), u"  Cavalli"_s);
            QVERIFY(!menu->isVisible());
            card->close();
            QVERIFY(menu->isVisible());
        }
        QVERIFY(menu->findChild<QLabel*>(u"imgAnimata"_s)->movie());
        QCOMPARE(menu->findChild<QLabel*>(u"imgAnimata"_s)->movie()->frameCount(), 9);
        QCOMPARE(m_desktop->quits, 0);
        QTest::mouseClick(child<QWidget>(menu, u"imgEsci"_s), Qt::LeftButton);
        QCOMPARE(m_desktop->quits, 1);
        menu->close();
        QCOMPARE(m_desktop->quits, 2);
    }

    void startMenu_layoutKeepsTheContainerCentred()
    {
        QCOMPARE(TfrmAvvio::ContainerPosition(QSize(1038, 742)), QPoint(519 - 497 - 4, 371 - 344 - 18));
        QCOMPARE(TfrmAvvio::ContainerPosition(QSize(1281, 1025)), QPoint(640 - 497 - 4, 512 - 344 - 18));
        TfrmAvvio* menu = m_screens->StartMenu();
        menu->show();
        menu->resize(1200, 900);
        QCOMPARE(child<QWidget>(menu, u"grpContainer"_s)->pos(),
                 TfrmAvvio::ContainerPosition(Kit::OuterSize(menu)));
        QCOMPARE(child<QWidget>(menu, u"imgScuola"_s)->geometry(), QRect(793, 150, 185, 157));
        QCOMPARE(child<QWidget>(menu, u"btnHobby"_s)->geometry(), QRect(795, 542, 180, 36));
    }

    void guide_showsOneTopicAtATimeFromItsTop()
    {
        TfrmHelpForm* help = m_screens->HelpForm();
        QString seen;
        TestGui::WhenModal([&](QWidget* modal) {
            seen = static_cast<TfrmHelpForm*>(modal)->Text();
            modal->findChild<QPlainTextEdit*>(u"memTopic"_s)->verticalScrollBar()->setValue(50);
            modal->findChild<QPushButton*>(u"cmdOK"_s)->click();
        });
        QTest::mouseClick(child<QWidget>(m_screens->StartMenu(), u"imgGuida"_s), Qt::LeftButton);
        QCOMPARE(help->Title(), u"Uno sguardo ad Codazzurra"_s);
        QCOMPARE(seen.split(u"\n"_s).count(QString()), 15); // 16 paragraphs, 15 empty lines between them

        TestGui::WhenModal([&](QWidget* modal) {
            QCOMPARE(modal->findChild<QPlainTextEdit*>(u"memTopic"_s)->verticalScrollBar()->value(), 0);
            modal->close();
        });
        m_screens->ShowGuideTopic({u"Uno"_s, u"Solo un paragrafo"_s});
        QCOMPARE(help->Text(), u"Solo un paragrafo"_s);
        QCOMPARE(help->Title(), u"Uno"_s);

        const GuideTopic card = GuideTexts::RecordCard();
        QCOMPARE(card.text.split(u"\r\n\r\n"_s).size(), 14);
        QVERIFY(card.text.split(u"\r\n\r\n"_s).at(2).endsWith(u"utilizzata. "_s));

        child<QAbstractButton>(help, u"lblPDF"_s)->click();
        QCOMPARE(m_desktop->opened.back(), QUrl::fromLocalFile(m_dir->filePath(u"Guida.pdf"_s)));
    }

    void installedProgram_keepsItsFilesApartAndSaysWhere()
    {
        // An installed program: data in the user's folder, the guide in the share folder, the exports in the
        // documents folder; the first password opens it.
        const QString root = m_dir->path();
        QVERIFY(QDir(root).mkpath(u"usr/bin"_s) && QDir(root).mkpath(u"usr/share/codazzurra"_s));
        const ProgramFolder folders =
            ProgramFolder::Locate({root + u"/usr/bin"_s, root + u"/home"_s, {}, {}, [root] {
                                       return root + u"/home/Documenti"_s;
                                   }});
        folders.Prepare();
        m_screens = std::make_unique<Screens>(folders);
        child<QAbstractButton>(m_screens->HelpForm(), u"lblPDF"_s)->click();
        QCOMPARE(m_desktop->opened.back(), QUrl::fromLocalFile(root + u"/usr/share/codazzurra/Guida.pdf"_s));
        const QString tip = child(m_screens->Info(), u"grpInfo"_s)->toolTip();
        QVERIFY2(tip.contains(root + u"/home/.local/share/Codazzurra"_s) &&
                     tip.contains(root + u"/home/Documenti/Codazzurra/Esportazioni"_s),
                 qPrintable(tip));
        m_screens->Password()->show();
        login(u"riconoscimento"_s);
        QVERIFY(m_screens->StartMenu()->isVisible());
    }

    void info_composesTheMail()
    {
        TfrmInfo* info = m_screens->Info();
        QCOMPARE(
            TfrmInfo::MailAddress(),
            u"mailto:assistenza@codazzurra.example?subject=Software Codazzurra&body=Salve, desidererei avere "
            "le seguenti informazioni sul software in oggetto:"_s);
        child<QAbstractButton>(info, u"lblEmail"_s)->click();
        QCOMPARE(m_desktop->opened.back().scheme(), u"mailto"_s);
        QVERIFY(m_desktop->messages.isEmpty());
        m_desktop->openSucceeds = false;
        child<QAbstractButton>(info, u"imgEmail"_s)->click();
        QCOMPARE(m_desktop->lastText(), u"Invio e-mail non riuscito."_s);
        // The link under the pointer (or under its icon) is red, the other navy; both navy off them.
        auto* email = child<LinkLabel>(info, u"lblEmail"_s);
        auto* web = child<LinkLabel>(info, u"lblWeb"_s);
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(child(info, u"imgEmail"_s), &enter);
        QCOMPARE(email->Colour(), QColor(Qt::red));
        QCOMPARE(web->Colour(), Kit::Navy);
        QApplication::sendEvent(web, &enter);
        QCOMPARE(email->Colour(), Kit::Navy);
        QCOMPARE(web->Colour(), QColor(Qt::red));
        QApplication::sendEvent(web, &leave);
        QCOMPARE(web->Colour(), Kit::Navy);
        auto* pdf = child<LinkLabel>(m_screens->HelpForm(), u"lblPDF"_s);
        QApplication::sendEvent(child(m_screens->HelpForm(), u"imgPDF"_s), &enter);
        QCOMPARE(pdf->Colour(), QColor(Qt::red));
        QApplication::sendEvent(child(m_screens->HelpForm(), u"imgPDF"_s), &leave);
        QCOMPARE(pdf->Colour(), QColor(Qt::white));

        child<QAbstractButton>(info, u"lblWeb"_s)->click(); // a failed web site is not reported
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->opened.back().host(), u"www.codazzurra.example"_s);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void zoom_fillsTheDisplayLessTwoPixels()
    {
        QCOMPARE(TfrmZoom::PictureArea(QSize(1280, 1024)), QRect(2, 2, 1276, 1020));
        TfrmZoom zoom(nullptr);
        QImage image(300, 200, QImage::Format_RGB32);
        image.fill(Qt::red);
        zoom.SetPicture(image);
        zoom.show();
        // It covers its screen whether or not a window manager maximises it.
        QCOMPARE(zoom.geometry(), zoom.screen()->geometry());
        PictureBox* box = zoom.Picture();
        QCOMPARE(box->geometry(), TfrmZoom::PictureArea(zoom.screen()->size()));
        QCOMPARE(box->FittedRect().size(), QSize(300, 200));
        QCOMPARE(box->FittedRect().center(), QRect(QPoint(0, 0), box->size()).center());
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(!zoom.isVisible());
    }

    void showZoomed_decodesForTheScreenOrRefusesAnUnreadablePhoto()
    {
        QWidget* owner = m_screens->Password();
        QSize shown;
        TestGui::WhenModal([&](QWidget* modal) {
            shown = qobject_cast<TfrmZoom*>(modal)->Picture()->PictureSize();
            modal->close();
        });
        Kit::ShowZoomed(owner, TestFiles::MakeJpeg(QSize(3000, 2000)));
        QCOMPARE(shown, QSize(3000, 2000));
        QVERIFY(m_desktop->messages.isEmpty());

        Kit::ShowZoomed(owner, QByteArray("\xff\xd8\xff\xe0 not really a photo"));
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(m_desktop->lastText(), u"Attenzione: impossibile individuare la foto corrente."_s);
        QCOMPARE(m_desktop->messages.back().title, u"Operazione annullata"_s);
    }

    void splash_animatesOnlyWhileShown()
    {
        TfrmSplash* splash = m_screens->Splash();
        QVERIFY(splash->Animation().SpriteLoaded());
        QVERIFY(!splash->Timer().isActive());
        splash->show();
        QVERIFY(splash->Timer().isActive());
        QCOMPARE(splash->Timer().interval(), 50);
        const int x = splash->Animation().Sprites()[0].x;
        QTRY_VERIFY(splash->Animation().Sprites()[0].x != x);
        QTest::mouseClick(splash, Qt::LeftButton);
        QVERIFY(!splash->isVisible());
        QVERIFY(!splash->Timer().isActive());
        QCOMPARE(m_desktop->opened.back().host(), u"www.codazzurra.example"_s);
    }

    void conventions_commandsAndErrors()
    {
        QCOMPARE(DefaultErrorText(u"Errore"_s), u"Errore."_s);
        QCOMPARE(DefaultErrorText(u"Errore."_s), u"Errore."_s);
        QCOMPARE(DefaultErrorText(u"Errore!"_s), u"Errore!"_s);
        QCOMPARE(DefaultErrorText(u"database is locked"_s), u"database is locked."_s);

        QWidget screen;
        QLabel* bar = Kit::MakeStatusBar(&screen);
        auto* cmd = new CommandPicture(u"cmdNuovo"_s, Kit::Picture(u"cmd_nuovo"_s), &screen);
        cmd->SetHint(u" Prepara la schermata ad accogliere una nuova scheda."_s, bar);
        QCOMPARE(cmd->focusPolicy(), Qt::NoFocus);
        QCOMPARE(cmd->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(cmd->accessibleName(), u"Prepara la schermata ad accogliere una nuova scheda."_s);
        QAccessibleInterface* a11y = QAccessible::queryAccessibleInterface(cmd);
        QCOMPARE(a11y->role(), QAccessible::Button);
        QVERIFY(a11y->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(cmd, &enter);
        QCOMPARE(bar->text(), cmd->Hint());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(cmd, &leave);
        QCOMPARE(bar->text(), QString());

        Kit::Guarded(nullptr, [] { throw std::runtime_error("qualcosa non va"); });
        QCOMPARE(m_desktop->messages.back().icon, Desktop::Icon::Stop);
        QCOMPARE(m_desktop->messages.back().text, u"qualcosa non va."_s);
        {
            BusyCursor busy;
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void application_showsEscapingErrors()
    {
        auto* app = qobject_cast<CodazzurraApplication*>(qApp);
        QVERIFY(app);
        // Screens catch their own failures; one that still escapes an event handler is shown, not fatal.
        struct Failing : QObject
        {
            bool event(QEvent* e) override
            {
                if (e->type() == QEvent::User)
                    throw std::runtime_error("sfuggito");
                return QObject::event(e);
            }
        } failing;
        const int before = app->LastResortFailures();
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&failing, &event);
        QCOMPARE(m_desktop->lastText(), u"sfuggito."_s);
        QCOMPARE(app->LastResortFailures(), before + 1);
    }
};

PROGRAM_TEST_MAIN(TestShellScreens)
#include "tst_shellscreens.moc"
