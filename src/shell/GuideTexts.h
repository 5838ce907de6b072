// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// What a guide button shows: a one-line title and paragraphs separated by one empty line (CR LF twice).
struct GuideTopic
{
    QString title;
    QString text;
};

// The guide's topics. The guide screen and the PDF guide are both made from these.
namespace GuideTexts {

GuideTopic StartMenu();
QStringList StartMenuParagraphs();
GuideTopic RecordCard();
QStringList RecordCardParagraphs();
GuideTopic Export();
QStringList ExportParagraphs();
GuideTopic Schedule();
QStringList ScheduleParagraphs();
GuideTopic Backup();
QStringList BackupParagraphs();
GuideTopic Import();
QStringList ImportParagraphs();

} // namespace GuideTexts
