// SPDX-License-Identifier: GPL-3.0-or-later
#include "GuideTexts.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace GuideTexts {

namespace {

QString joinParagraphs(const QStringList& paragraphs)
{
    return paragraphs.join(u"\r\n\r\n"_s);
}

} // namespace

GuideTopic StartMenu()
{
    return {u"Uno sguardo ad Codazzurra"_s, joinParagraphs(StartMenuParagraphs())};
}

QStringList StartMenuParagraphs()
{
    return {
        u"Codazzurra è l'archivio fotografico degli animali con cui si convive: funziona anche da una chiavetta USB ed è pensato pure per allevatori e negozi di animali. Gli animali sono raccolti in dieci categorie: cani, gatti, cavalli, uccelli, tartarughe, pesci, criceti, conigli, rettili e tutte le altre specie."_s,
        u"Lo slideshow mostra a tutto schermo e in sequenza le foto archiviate, con il nome di ciascun animale sopra la sua foto: è ideale anche per la vetrina di un negozio."_s,
        u"Ogni scheda raccoglie nome, razza, sesso, data e luogo di nascita, proprietario e medico veterinario, altezza, lunghezza, taglia, peso, colore e tipologia del mantello (del piumaggio, della corazza, della pelle o delle squame, secondo la specie), segni particolari, numero di passaporto, codice del microchip, descrizione del tatuaggio, sterilizzazione, certificato genealogico, note sull'alimentazione, vaccinazioni, profilo caratteriale, addestratore, telefono della persona responsabile, prezzo se l'animale è in vendita e specialità."_s,
        u"Il campo Note accoglie qualsiasi altra informazione utile; una ricerca sul campo Note elenca tutte le schede che contengono la chiave cercata."_s,
        u"La foto della scheda viene ridotta in scala per entrare nel riquadro di anteprima; l'icona dello zoom la mostra a tutto schermo. Ogni foto Jpeg in archivio può essere salvata su disco in qualsiasi momento."_s,
        u"Il Visualizzatore foto sfoglia le foto di una categoria con le frecce (successiva, precedente, prima e ultima), mostra il nome dell'animale sopra ogni foto e la didascalia sotto, e offre anch'esso lo zoom."_s,
        u"Lo slideshow presenta tutte le foto della categoria scelta a tutto schermo, una ogni sei secondi; dopo l'ultima foto ricomincia dalla prima e si chiude con un clic in un punto qualsiasi dello schermo."_s,
        u"Con più monitor si possono mostrare categorie diverse contemporaneamente; il programma può funzionare su più computer oppure essere condiviso in una rete locale."_s,
        u"A ogni scheda si possono allegare file di qualsiasi tipo e associare una cartella, con un numero illimitato di file, da aprire con pochi clic."_s,
        u"Le ricerche funzionano anche con chiave parziale, cioè indicando una o più parole consecutive contenute in un campo, e possono usare uno o più campi contemporaneamente."_s,
        u"Una scheda già salvata può essere duplicata in un nuovo record, per conservare più foto dello stesso animale."_s,
        u"Tutti i dati e tutte le foto sono custoditi in file che si trovano nella cartella del programma: copiare quella cartella significa farne una copia di sicurezza completa, e ricopiarla al suo posto significa ripristinarla."_s,
        u"I dati testuali di un archivio possono essere inviati a un foglio di Microsoft Excel, per condividerli con chi non possiede il programma, mentre una singola scheda, foto compresa, può essere inviata a un documento di Microsoft Word."_s,
        u"L'accesso è protetto da una password che si può cambiare in qualsiasi momento; si consiglia di sceglierne una di almeno otto caratteri. Per il primo accesso la password è \"riconoscimento\"."_s,
        u"Il programma funziona da una chiavetta USB o da una cartella condivisa: basta copiare la cartella del programma e avviare l'eseguibile che contiene."_s,
        u"Codazzurra si impara in pochi minuti: buon lavoro!"_s,
    };
}

GuideTopic RecordCard()
{
    return {u"Gestione degli archivi degli animali domestici"_s, joinParagraphs(RecordCardParagraphs())};
}

QStringList RecordCardParagraphs()
{
    return {
        u"La finestra per la gestione degli archivi fotografici degli animali domestici permette di descrivere ciascuna scheda utilizzando i campi di testo a disposizione ed allegando una foto in formato Jpeg."_s,
        u"La foto di ciascun animale domestico può essere commentata con varie informazioni indicando il nome, la razza, il sesso, la data e il luogo di nascita, i dati del proprietario e del medico veterinario, l'altezza, la lunghezza, la taglia, il peso, il colore del mantello e la tipologia di pelo (per cani, gatti, cavalli, criceti, conigli e altri animali con pelo), il colore del piumaggio e la tipologia di piume (per gli uccelli), il colore della corazza e la tipologia di pelle (per le tartarughe), il colore della pelle e la tipologia di scaglie (per i pesci), la tipologia di squame per i rettili, la presenza di eventuali segni particolari, il numero di passaporto, il codice del microchip, una descrizione del tatuaggio (ove presente), se l'animale è stato sterilizzato o castrato, gli estremi del certificato genealogico, informazioni o avvertenze sull'alimentazione dell'animale, le vaccinazioni effettuate o da effettuare, il profilo caratteriale, il nome dell'addestratore, il numero di telefono della persona responsabile dell'animale, il prezzo dell'animale se in vendita, la specialità dell'animale (ad esempio, cane cercatore di tartufi, cavallo abile nelle corse di trotto, eccetera)."_s,
        u"Il campo Note potrebbe essere sfruttato anche per registrare qualsiasi informazione aggiuntiva utile ad un allevatore o al gestore di un negozio di animali domestici per identificare l'animale in archivio tramite l'avanzata funzione di ricerca messa a disposizione dal programma. A titolo di esempio, si potrebbe annotare il canile in cui era custodito il proprio cane, i nomi dei precedenti proprietari dell'animale, ulteriori informazioni sul pedigree e così via. A questo punto, se si effettua una ricerca in base al campo Note, si ottiene l'elenco di tutte le schede degli animali domestici contenenti la chiave di ricerca utilizzata. "_s,
        u"Per inserire una nuova scheda, bisogna innanzitutto fare clic sull'icona Nuovo, compilare i campi di testo che interessano, caricare una foto e premere Salva. Codazzurra provvede automaticamente ad effettuare una copia della foto importata, che sarà salvata nel file di archivio unitamente ai dati testuali."_s,
        u"Si tenga presente che, dopo il caricamento, la foto appare ridotta in scala se le sue dimensioni eccedono quelle del riquadro di anteprima. Per visualizzare la foto a schermo intero, bisogna fare clic sull'icona dello zoom presente nell'angolo inferiore destro del riquadro dell'immagine. Tutte le immagini Jpeg in archivio possono essere salvate su disco in qualsiasi momento utilizzando l'apposito pulsante."_s,
        u"Per visualizzare una scheda, è possibile utilizzare le frecce per lo scorrimento dei record oppure effettuare una ricerca in archivio. Le ricerche avanzate funzionano anche con chiave parziale, ossia indicando una o più parole consecutive contenute in un qualsiasi campo. Per ogni ricerca è possibile utilizzare uno o più campi contemporaneamente."_s,
        u"Per aggiornare una scheda esistente, basta visualizzarla nella schermata di lavoro, effettuare le modifiche e premere Salva."_s,
        u"La funzione Visualizzatore foto permette di sfogliare le immagini di ciascuna categoria di animali domestici usando apposite frecce che consentono di mostrare la foto successiva o precedente a quella corrente, oppure la prima o l'ultima foto in archivio. Ogni foto è accompagnata dal nome dell'animale mostrato in cima e dalla didascalia in calce. Anche in questo ambiente è possibile visualizzare le foto a tutto schermo attraverso l'icona dello zoom. Il Visualizzatore foto può essere sfruttato dal personale del pet shop o da un allevatore come listino elettronico per mostrare gli animali disponibili ai potenziali acquirenti."_s,
        u"Il pulsante Slideshow mostra in sequenza ad intervalli di sei secondi e a schermo intero tutte le foto della categoria di animali domestici selezionata. Una volta visualizzata l'ultima foto in archivio, la presentazione riprende dal principio. Per uscire dalla modalità Slideshow è sufficiente fare clic su un punto qualsiasi della schermata."_s,
        u"Ciascuna scheda (foto inclusa) può essere esportata in un file di Microsoft Word mentre è possibile esportare l'intero archivio testuale in un foglio di Microsoft Excel."_s,
        u"Se si ha la necessità di inserire in archivio diverse foto riguardanti lo stesso animale domestico, dopo aver salvato la prima scheda è possibile duplicare i dati creando un nuovo record. A questo punto bisognerà soltanto caricare la nuova foto, effettuare le modifiche o integrazioni dei dati desiderate e salvare la nuova scheda."_s,
        u"L'icona Allega file permette di allegare a ciascuna scheda fino a tre file esterni di qualsiasi genere, che potranno essere aperti senza uscire dal programma. L'utente ha anche la possibilità di associare una cartella alla scheda di ciascun animale domestico la quale può contenere un numero illimitato di file. Tale cartella può essere aperta con pochi clic per consultare, aggiungere o cancellare i file collegati alla scheda dell'animale domestico."_s,
        u"Per eliminare una scheda, basta richiamarla nella schermata di lavoro e fare clic sull'icona del cestino. Tale funzione deve essere utilizzata con molta cautela dal momento che il software non consente di recuperare una scheda cancellata."_s,
        u"Per chiudere la schermata per la gestione delle schede, basta fare clic sull'icona Esci. Così facendo, si torna nella finestra di partenza del programma."_s,
    };
}

GuideTopic Export()
{
    return {u"Esportazione archivio animali domestici"_s, joinParagraphs(ExportParagraphs())};
}

QStringList ExportParagraphs()
{
    return {
        u"La funzione di esportazione dati consente di convertire l'archivio corrente in un foglio di lavoro di Microsoft Excel."_s,
        u"L'ambiente per l'esportazione visualizza i record in archivio elencati in base all'ordine di inserimento da parte dell'utente."_s,
        u"Si tenga presente che l'esportazione in Excel può essere applicata soltanto ai campi di testo a riga singola in quanto le celle di Excel non supportano le andate a capo."_s,
        u"Poiché la lunghezza massima dei dati contenuti in una cella di Excel è uguale a 255 caratteri, le informazioni eccedenti tale lunghezza sono troncate automaticamente dal software in fase di esportazione."_s,
        u"Facendo clic sull'icona di Excel, si esporteranno nel software della Microsoft i dati visualizzati in quel momento."_s,
    };
}

GuideTopic Schedule()
{
    return {u"Scadenze sanitarie e libretto dei trattamenti"_s, joinParagraphs(ScheduleParagraphs())};
}

QStringList ScheduleParagraphs()
{
    return {
        u"Per ogni animale si possono registrare le scadenze sanitarie (vaccinazioni, sverminazioni, trattamenti antiparassitari, visite e altro) e tenere il libretto dei trattamenti eseguiti. La finestra si apre dalla schermata di lavoro con l'icona del calendario, dopo aver salvato la scheda in archivio."_s,
        u"Ogni scadenza ha un tipo, una descrizione, la data in cui scade, un intervallo di ripetizione in mesi (zero per una scadenza unica) e delle note. L'elenco mostra anche la data dell'ultima esecuzione ed è colorato secondo lo stato: rosso per le scadenze passate, giallo per quelle che cadono entro il periodo di preavviso, verde per le altre. Per aggiungere una scadenza fare clic su Nuova, compilare i campi e premere Salva; per modificarla selezionarla nell'elenco, correggere i campi e premere Salva; Elimina la toglie dall'elenco, mentre il libretto conserva i trattamenti già registrati."_s,
        u"Le date si scrivono nella forma gg/mm/aaaa, per esempio 05/03/2025. Una data inesistente (come il 31/02) oppure una scadenza precedente all'ultima esecuzione viene segnalata e non viene salvata."_s,
        u"Quando un trattamento è stato eseguito, selezionare la scadenza e fare clic su Eseguita oggi, oppure scrivere la data di esecuzione e fare clic su Eseguita nella data. Il trattamento viene annotato nel libretto; una scadenza che si ripete passa alla data di esecuzione più l'intervallo (se il mese non ha quel giorno si usa l'ultimo giorno del mese: eseguita il 31 gennaio, un mese dopo scade il 28 o il 29 febbraio), mentre una scadenza unica esce dall'elenco. Con Annota nel libretto si registra un trattamento che non corrisponde a nessuna scadenza."_s,
        u"Aggiungi set suggerito inserisce in un colpo solo alcune scadenze tipiche per la specie dell'animale (per un cane, ad esempio, il richiamo annuale della vaccinazione di base, la sverminazione ogni tre mesi e l'antiparassitario mensile), che si possono poi modificare liberamente. Si tratta soltanto di suggerimenti e non di un parere veterinario: date e intervalli vanno sempre concordati con il proprio medico veterinario."_s,
        u"Dopo l'inserimento della password, se in uno dei dieci archivi ci sono scadenze passate o in scadenza entro il periodo di preavviso (14 giorni, modificabile nella finestra), compare la finestra Scadenze con l'archivio, il nome dell'animale, il tipo, la descrizione, la data di scadenza e i giorni di ritardo, con le scadenze passate in cima. La stessa finestra si apre in qualsiasi momento dall'icona Scadenze della finestra di partenza. Un doppio clic su una riga apre la scheda dell'animale; Stampa stampa l'elenco (o lo salva in un file PDF se non c'è una stampante); Non mostrare più oggi evita che la finestra ricompaia fino al giorno dopo."_s,
        u"Esporta calendario scrive tutte le scadenze dei dieci archivi nel file Scadenze.ics della cartella Esportazioni: importato nel calendario del telefono o del programma di posta, ricorda ogni scadenza il giorno prima. Esportando di nuovo e importando il nuovo file, gli eventi già presenti vengono aggiornati anziché duplicati."_s,
        u"Le scadenze e il libretto sono conservati nel file dell'archivio insieme alle schede, e le copie di sicurezza dell'archivio li comprendono. Eliminando una scheda si eliminano anche le sue scadenze e il suo libretto."_s,
    };
}

GuideTopic Import()
{
    return {u"Importazione di schede"_s, joinParagraphs(ImportParagraphs())};
}

QStringList ImportParagraphs()
{
    return {
        u"Il comando «Importa schede» del menu iniziale aggiunge a un archivio le schede tenute altrove: in un file CSV, in una cartella di lavoro .xlsx o .ods, in un'altra cartella del programma (per esempio la copia di un altro computer) o in una copia di sicurezza (.zip)."_s,
        u"Per prima cosa si sceglie l'archivio in cui importare e il file. Di un file CSV il programma riconosce da solo il separatore (punto e virgola o virgola) e la codifica dei caratteri (UTF-8 o Windows-1252), che si può cambiare; di una cartella di lavoro si può scegliere il foglio."_s,
        u"L'anteprima mostra le prime 20 righe del file. Nella riga «Campo» si sceglie quale campo della scheda riempie ogni colonna: il programma parte dai nomi delle colonne (quelli della propria esportazione, le didascalie della scheda e i nomi più comuni, come «Nome animale», «Chip», «Data nascita»). Una colonna può essere tralasciata, oppure contenere i percorsi delle foto JPEG (completi o relativi alla cartella del file), che diventano la foto della scheda dopo gli stessi controlli di «Carica foto Jpeg»."_s,
        u"Prima di importare il programma fa sempre una prova, senza modificare nulla, e ne mostra il rapporto: le schede da aggiungere, le righe con problemi e il motivo (caratteri che l'archivio non può contenere, indicati uno per uno; una foto mancante o non leggibile; una riga con più o meno campi dell'intestazione; il nome mancante) e le righe che sembrano doppioni di schede già in archivio o di altre righe del file (lo stesso microchip, oppure lo stesso nome e la stessa data di nascita). Si sceglie se saltare i doppioni o importarli comunque, e se sostituire con «?» i caratteri non ammessi o saltare quelle righe; nulla viene mai sostituito senza che il rapporto lo dica. Come nella scheda, il punto e virgola e le virgolette diventano spazi."_s,
        u"«Importa» aggiunge le schede tutte insieme: o tutte o nessuna. Durante l'importazione una barra mostra l'avanzamento e «Annulla» la interrompe senza importare nulla. Alla fine il rapporto può essere salvato come file di testo con «Salva rapporto»."_s,
        u"Da un'altra cartella del programma o da una copia di sicurezza si importano le schede dello stesso archivio con le loro foto, i percorsi dei file allegati e, quando ci sono, le scadenze e i trattamenti, collegati alle nuove schede. I file allegati e le cartelle restano dove sono: ne viene copiato solo il percorso."_s,
    };
}

GuideTopic Backup()
{
    return {u"Copie di sicurezza"_s, joinParagraphs(BackupParagraphs())};
}

QStringList BackupParagraphs()
{
    return {
        u"La finestra Copia di sicurezza si apre dall'icona omonima della finestra di partenza. Ogni copia di sicurezza è un unico file, chiamato con la data e l'ora in cui è stata fatta (per esempio «Codazzurra 2025-03-05 18.30.00.zip»), che contiene gli archivi esistenti (Cani.db, Gatti.db e gli altri), il file della password, le impostazioni (Codazzurra.ini) e l'elenco del contenuto (Manifest.txt), con la dimensione e il codice di controllo di ogni file e il numero di schede di ogni archivio. Ogni archivio è copiato com'era in un preciso istante, anche mentre un'altra copia del programma salva, e viene controllato prima di entrare nella copia; il file scritto viene poi riletto e confrontato con il suo elenco prima di ricevere il nome definitivo. L'elenco della finestra mostra per ogni copia la data, il motivo (automatica, su richiesta, prima del ripristino), la dimensione, le schede di ogni archivio e l'esito della verifica."_s,
        u"I file allegati alle schede e le cartelle delle schede restano dove sono e non fanno parte della copia di sicurezza: vanno copiati a parte, per esempio sulla stessa chiavetta che fa da seconda destinazione."_s,
        u"Le copie vanno nella cartella Backup accanto agli archivi. Questa cartella protegge dagli errori e dagli archivi danneggiati, ma non dal guasto o dalla perdita del disco: per questo con Scegli... si può indicare una seconda destinazione (una chiavetta USB, un altro disco, una cartella di rete), e da quel momento ogni copia va in entrambe; Nessuna la toglie. Se la seconda destinazione manca (per esempio la chiavetta non è inserita), la copia va soltanto nella cartella Backup, e la finestra e l'avvio successivo segnalano da quando la seconda viene saltata."_s,
        u"Dopo la password, se la copia più recente ha più di 24 ore e un archivio è cambiato, parte da sola una copia automatica, in sottofondo: si può continuare a lavorare, e una scritta nella finestra di partenza la segnala finché è in corso. Esegui ora fa subito una copia; Annulla la interrompe senza lasciare file a metà. Si conservano le 10 copie più recenti (il numero si cambia con la voce Generazioni della sezione [Backup] di Codazzurra.ini), la più recente di ciascuno degli ultimi 12 mesi e l'ultima fatta prima di un ripristino; le più vecchie vengono eliminate solo dopo che una copia nuova è stata verificata. Verifica rilegge tutte le copie dell'elenco byte per byte: una copia danneggiata viene indicata come tale e non viene mai ripristinata."_s,
        u"Per ripristinare, selezionare una copia nell'elenco, scegliere in Da ripristinare se ripristinare tutto (archivi, password e impostazioni) o un solo archivio, e fare clic su Ripristina. Prima di sostituire qualcosa, il programma salva i file attuali in una nuova copia, segnata «prima del ripristino», così che anche un ripristino si possa annullare. Le schede salvate dopo la data della copia non ci sono più nell'archivio ripristinato. Se un'altra copia del programma sta scrivendo in quell'archivio, il ripristino viene rifiutato: riprovare più tardi; le altre copie del programma vedono l'archivio ripristinato alla lettura successiva."_s,
        u"Attenzione alla password: ripristinando tutto si ripristina anche il file della password, e con esso la password in uso il giorno della copia, che da quel momento servirà per entrare nel programma. Il programma lo ricorda prima di procedere: se la password è stata cambiata dopo quella copia, bisogna conoscere quella vecchia."_s,
        u"Se un archivio risulta danneggiato, all'apertura o durante il lavoro, il messaggio lo nomina e propone la copia più recente che lo contiene integro, con la sua data. Accettando, il file danneggiato viene spostato da parte con un nuovo nome (non viene mai cancellato) e l'archivio viene riscritto da quella copia."_s,
        u"Con gli archivi su un server (sezione [Archivi] di Codazzurra.ini), la copia contiene gli archivi del server come erano in un preciso istante, e va nelle destinazioni della postazione che la fa. La copia automatica si fa una volta al giorno per tutte le postazioni, sulla prima che ne ha bisogno: le altre non la ripetono, e la loro finestra Copia di sicurezza dice quando e su quale postazione è stata fatta l'ultima."_s,
        u"Le copie si possono anche pianificare senza aprire il programma (per esempio con cron): Codazzurra --backup fa una copia nelle destinazioni scelte, Codazzurra --verify verifica quelle della cartella Backup; Codazzurra --help elenca tutti i comandi."_s,
    };
}

} // namespace GuideTexts
