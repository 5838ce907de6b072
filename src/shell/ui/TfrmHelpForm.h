// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class LinkLabel;
class QLabel;
class QPlainTextEdit;
class ScreenHost;
struct GuideTopic;

// The guide screen: a topic's title and text, and a link to the PDF guide.
class TfrmHelpForm : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmHelpForm(ScreenHost& host);

    // Replaces the shown topic, scrolled to its top. ShowGuideTopic does this and then shows the screen.
    void SetTopic(const GuideTopic& topic);
    QString Title() const;
    QString Text() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openPdf();

    ScreenHost& m_host;
    QLabel* m_title;
    QPlainTextEdit* m_topic;
    LinkLabel* m_pdfLink;
};
