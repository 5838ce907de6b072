// SPDX-License-Identifier: GPL-3.0-or-later
#include "AdvancedSearch.h"

#include "kit/Artwork.h"
#include "kit/Colours.h"
#include "kit/Controls.h"
#include "kit/FieldConventions.h"
#include "kit/Guard.h"
#include "search/ResultListPrinter.h"
#include "storage/Win1252.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QShowEvent>

using namespace Qt::Literals::StringLiterals;

namespace {

const QColor Maroon{128, 0, 0};

// The nine search fields: label, edit, in the order of the form, of the Enter chain and of the query.
struct SearchField
{
    const char16_t* label;
    const char16_t* edit;
};
constexpr std::array<SearchField, 9> Fields = {{
    {u"Nome:", u"txtNome"},
    {u"Razza:", u"txtRazza"},
    {u"Sesso:", u"txtSesso"},
    {u"Proprietario:", u"txtProprietario"},
    {u"Medico veterinario:", u"txtMedico"},
    {u"Profilo caratteriale:", u"txtProfilo"},
    {u"Addestratore:", u"txtAddestratore"},
    {u"Specialit\u00e0:", u"txtSpecialita"},
    {u"Note:", u"txtNote"},
}};

} // namespace

AdvancedSearch::AdvancedSearch(ScreenHost& host, const CategoryDescriptor& category)
    : SearchScreen(host, category, Categories::AdvancedSearchName(category), u" Ricerca avanzata"_s)
{
    const QFont small = Kit::Verdana(11);
    const QFont bold = Kit::Verdana(11, true);
    setFont(small);

    m_memory = new QLabel(this);
    m_memory->setObjectName(u"lblMemory"_s);
    m_memory->hide();

    // The search form.
    m_form = new QGroupBox(this);
    m_form->setObjectName(u"grpCriteri"_s);
    m_form->setGeometry(17, 6, 749, 441);
    Kit::FramedPicture(u"shpLogo"_s, u"imgLogo"_s, u"app_icon"_s, m_form, QRect(12, 14, 76, 76));
    auto* titleBox = new QFrame(m_form);
    titleBox->setObjectName(u"shpTitolo"_s);
    titleBox->setGeometry(98, 14, 639, 76);
    Kit::FillBackground(titleBox, Kit::Navy);
    auto* title = Kit::Label(u"lblTitolo"_s, Categories::SearchHeading(category), titleBox,
                             QRect(0, 0, 639, 76), Kit::Verdana(24, true), Qt::white);
    title->setAlignment(Qt::AlignCenter);
    Kit::Label(u"lblInfo"_s,
               u"Immettere nei campi prescelti una o pi\u00f9 parole consecutive presenti nelle schede"_s,
               m_form, QRect(12, 100, 725, 18), bold);
    Kit::Label(u"lblInfo04"_s, u"degli animali domestici da cercare e premere il pulsante Trova."_s, m_form,
               QRect(12, 118, 725, 18), bold);
    Kit::Label(u"lblInfo05"_s, u"Lasciare in bianco gli altri campi."_s, m_form, QRect(12, 142, 725, 18),
               bold);
    Kit::Label(u"lblInfo06"_s,
               u"Per ogni ricerca \u00e8 possibile utilizzare uno o pi\u00f9 campi contemporaneamente."_s,
               m_form, QRect(12, 160, 725, 18), bold);

    auto* bevel = new QFrame(m_form);
    bevel->setObjectName(u"bevCampi"_s);
    bevel->setGeometry(12, 188, 725, 240);
    bevel->setFrameShape(QFrame::Panel);
    bevel->setFrameShadow(QFrame::Sunken);
    auto* panel = new QFrame(bevel);
    panel->setObjectName(u"shpSfondo"_s);
    panel->setGeometry(2, 2, 721, 236);
    auto* icon =
        Kit::PictureLabel(u"icoRicerca01"_s, Kit::Picture(u"search_form"_s), panel, QRect(12, 14, 64, 64));
    icon->setAlignment(Qt::AlignCenter);

    QStringList chain;
    for (std::size_t i = 0; i < Fields.size(); ++i) {
        const int row = int(i) / 3;
        const int column = int(i) % 3;
        const QRect labelRect(92 + column * 208, 14 + row * 74, 196, 18);
        auto* label = Kit::Label(u"lblCampo%1"_s.arg(i + 1, 2, 10, QLatin1Char('0')),
                                 QString::fromUtf16(Fields[i].label), panel, labelRect, bold, Kit::Navy);
        m_fields[i] = Kit::Edit(QString::fromUtf16(Fields[i].edit), panel,
                                QRect(labelRect.x(), labelRect.bottom() + 3, 196, 26), bold, label);
        chain << m_fields[i]->objectName();
    }
    // Enter moves round the nine fields, from Note back to Nome; it never starts the search.
    chain << chain.constFirst();
    Kit::InstallEnterChain(panel, chain);
    for (std::size_t i = 0; i + 1 < m_fields.size(); ++i)
        setTabOrder(m_fields[i], m_fields[i + 1]);

    // The result list.
    m_listGroup = new QGroupBox(this);
    m_listGroup->setObjectName(u"grpElenco"_s);
    m_listGroup->setGeometry(m_form->geometry());
    Kit::FramedPicture(u"shpTrova"_s, u"imgLente"_s, u"search_lens"_s, m_listGroup, QRect(12, 12, 60, 60));
    auto* findLabel =
        Kit::Label(u"lblInfo01"_s,
                   u"Inserire una o pi\u00f9 parole consecutive presenti nella voce da selezionare nella "
                   "lista e premere il pulsante Cerca."_s,
                   m_listGroup, QRect(84, 10, 653, 30), small);
    findLabel->setWordWrap(true);
    auto* againLabel =
        Kit::Label(u"lblInfo02"_s,
                   u"Per spostarsi sulla voce successiva contenente la stessa chiave di ricerca, fare di "
                   "nuovo clic su Cerca."_s,
                   m_listGroup, QRect(84, 42, 653, 30), small);
    againLabel->setWordWrap(true);
    m_findKey = Kit::Edit(u"txtTrova"_s, m_listGroup, QRect(12, 82, 330, 26), small, findLabel);
    m_findKey->setAccessibleName(u"Voce da selezionare"_s);
    auto* find = Kit::NonDefaultButton(u"cmdTrova02"_s, u"Cerca"_s, m_listGroup, QRect(352, 81, 100, 28),
                                       Qt::ClickFocus);
    // Drawn by the list itself: black on white, flat border, rows as high as the font.
    QListView* list = makeList(m_listGroup, QSize(ScrollWidth, 0));
    list->setGeometry(12, 118, 725, 286);
    list->setFrameShape(QFrame::Box);
    list->setFrameShadow(QFrame::Plain);
    list->setFocusPolicy(Qt::ClickFocus);
    Kit::SetColour(list, QPalette::Base, Qt::white);
    Kit::SetColour(list, QPalette::Text, Qt::black);
    list->setAccessibleName(u"Schede trovate"_s);
    auto* hint = Kit::Label(u"lblInfo03"_s,
                            u"Per richiamare i dati di una scheda, selezionare con un doppio clic la voce "
                            "corrispondente."_s,
                            m_listGroup, QRect(12, 412, 725, 18), small, Maroon);
    hint->setAlignment(Qt::AlignCenter);
    m_listGroup->hide();

    // The bottom row: no button is reached by Tab.
    m_back = Kit::NonDefaultButton(u"cmdIndietro"_s, u"<< Indietro"_s, this, QRect(17, 458, 110, 30),
                                   Qt::ClickFocus);
    m_print =
        Kit::NonDefaultButton(u"cmdStampa"_s, u"Stampa"_s, this, QRect(135, 458, 110, 30), Qt::ClickFocus);
    m_count = Kit::Label(u"LabelCount"_s, SearchTexts::CountPrefix + u'0', this, QRect(253, 463, 277, 20),
                         small, Qt::white);
    m_count->setAlignment(Qt::AlignCenter);
    m_search =
        Kit::NonDefaultButton(u"cmdTrova"_s, u"Trova"_s, this, QRect(538, 458, 110, 30), Qt::ClickFocus);
    auto* close =
        Kit::NonDefaultButton(u"cmdAnnulla"_s, u"Chiudi"_s, this, QRect(656, 458, 110, 30), Qt::ClickFocus);
    m_back->setEnabled(false);
    m_print->setEnabled(false);
    m_count->hide();

    Kit::OnEnter(m_findKey, [] {});

    connect(m_search, &QPushButton::clicked, this, Kit::GuardedSlot(this, [this] { Search(); }));
    connect(m_back, &QPushButton::clicked, this, Kit::GuardedSlot(this, [this] { Back(); }));
    connect(find, &QPushButton::clicked, this, Kit::GuardedSlot(this, [this] { FindInList(); }));
    connect(m_print, &QPushButton::clicked, this, Kit::GuardedSlot(this, [this] { Print(); }));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(list, &QListView::doubleClicked, this, Kit::GuardedSlot(this, [this] { ShowChosenCard(); }));
}

void AdvancedSearch::SetToken(const QString& tableName)
{
    m_memory->setText(tableName);
}

bool AdvancedSearch::ShowsList() const
{
    return !m_listGroup->isHidden();
}

void AdvancedSearch::showEvent(QShowEvent* event)
{
    SearchScreen::showEvent(event);
    if (event->spontaneous())
        return;
    // The archive is not opened here, and the fields keep their texts.
    showForm();
}

void AdvancedSearch::showForm()
{
    clearList();
    m_back->setEnabled(false);
    m_print->setEnabled(false);
    m_search->setEnabled(true);
    m_listGroup->hide();
    m_count->hide();
    m_form->show();
    m_fields[0]->setFocus(Qt::OtherFocusReason);
}

void AdvancedSearch::Search()
{
    clearList();
    AdvancedSearchTexts texts;
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        texts[i] = m_fields[i]->text();
    bool found = false;
    Kit::Guarded(this, [&] {
        showCards(Store().FindByFields(texts));
        found = true;
    });
    if (!found)
        return; // the form stays, with the texts as typed
    showCount(m_count);
    m_form->hide();
    m_listGroup->show();
    m_count->show();
    m_search->setEnabled(false);
    m_back->setEnabled(true);
    m_print->setEnabled(true);
    m_findKey->clear();
    m_findKey->setFocus(Qt::OtherFocusReason);
}

void AdvancedSearch::Back()
{
    showForm();
}

void AdvancedSearch::FindInList()
{
    findInList(m_findKey->text());
}

void AdvancedSearch::Print()
{
    printList({u"Si vuole stampare il presente elenco?"_s, Desktop::Icon::Question,
               QString(AdvancedSearchDashLine)});
}

void AdvancedSearch::ShowChosenCard()
{
    const int line = SelectedLine();
    if (line < 0)
        return;
    // The card is loaded only when the token names this archive; the screen closes either way.
    const bool ours = Win1252::Trimmed(m_memory->text()) == QString(Category().tableName);
    if (handBack(line, ours))
        accept();
}
