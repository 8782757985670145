#include "app/Applicazione.h"

#include "fb/Errore.h"
#include "piattaforma/Errori.h"
#include "piattaforma/Messaggi.h"
#include "piattaforma/Protezione.h"

#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// The windows are designed in Tahoma. Where the system has none, Wine's free Tahoma
// (Debian's fonts-wine, not registered with fontconfig) has the same metrics.
void RegistraTahoma() {
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma")))
        return;
    for (const char* file : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"})
        QFontDatabase::addApplicationFont(QString::fromLatin1(file));
}

// Qt's own texts (the Yes and No of the message boxes, the file and print dialogs) in
// Italian, from Debian's qt6-translations-l10n. qt_it is only a catalogue that names
// qtbase_it and the others, so it is the fallback for an installation that has no qtbase_it.
void InstallaTraduzioniQt(QApplication& applicazione) {
    const QString cartella = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* catalogo : {"qtbase_it", "qt_it"}) {
        auto* traduttore = new QTranslator(&applicazione);
        if (traduttore->load(QString::fromLatin1(catalogo), cartella) && applicazione.installTranslator(traduttore))
            return;
        delete traduttore;
    }
}

} // namespace

TApplicazione::TApplicazione(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Quendra"));
    RegistraTahoma();
    // Numbers and dates in Qt's own widgets (spin boxes, date editors, dialogs) the Italian way.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    InstallaTraduzioniQt(*this);
    piattaforma::ImpostaRapportoEccezioni([](std::exception_ptr e) { MostraEccezione(e); });
}

void TApplicazione::MostraEccezione(const std::exception& e) {
    const auto* db = dynamic_cast<const fb::EErroreDB*>(&e);
    if (db && db->ConnessionePersa())
        piattaforma::MostraErrore(
            QStringLiteral("Il collegamento con il database si è interrotto: il server non risponde o la rete non "
                           "è disponibile. L'operazione non è stata completata; il programma si ricollegherà "
                           "al prossimo comando.") +
            QStringLiteral("\n\n") + db->Messaggio());
    else if (db)
        piattaforma::MostraErrore(db->Messaggio());
    else if (const auto* conversione = dynamic_cast<const piattaforma::ErroreConversione*>(&e))
        piattaforma::MostraErrore(conversione->Messaggio());
    else
        piattaforma::MostraErrore(QString::fromUtf8(e.what()));
}

void TApplicazione::MostraEccezione(std::exception_ptr eccezione) {
    try {
        std::rethrow_exception(eccezione);
    } catch (const piattaforma::EAbort&) {
        // The silent abort ends the work without a word.
    } catch (const std::exception& e) {
        MostraEccezione(e);
    } catch (...) {
        piattaforma::MostraErrore(
            QStringLiteral("Si è verificato un errore imprevisto: l'operazione è stata interrotta"));
    }
}

// The last resort: handlers run under their own guard, so nothing should arrive here.
bool TApplicazione::notify(QObject* destinatario, QEvent* evento) {
    try {
        return QApplication::notify(destinatario, evento);
    } catch (...) {
        MostraEccezione(std::current_exception());
        return false;
    }
}
