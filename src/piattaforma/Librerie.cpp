#include "Librerie.h"

#include "Codifica.h"
#include "Percorsi.h"

#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace piattaforma {

namespace {

Librerie*& LibrerieImpostate() {
    static Librerie* librerie = nullptr;
    return librerie;
}

constexpr int Modo = RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE;

bool ENomeSemplice(const QString& nomeFile) {
    return !nomeFile.contains(u'/');
}

// Where the file is opened from: beside the executable when a bare name is there.
QString PercorsoDaAprire(const QString& nomeFile) {
    const QString nativo = PercorsoNativo(nomeFile);
    if (ENomeSemplice(nativo)) {
        const QString vicino = DirectoryEseguibile() + nativo;
        if (FileEsiste(vicino))
            return vicino;
    }
    return nativo;
}

} // namespace

void* LibrerieDiSistema::Carica(const QString& nomeFile) {
    if (nomeFile.isEmpty())
        return nullptr;
    // Every symbol is bound now, as the Windows loader does: a library with a missing
    // dependency fails here rather than in the middle of a call. A library let go stays
    // mapped: texts and objects it handed to the program must not vanish under it.
    void* libreria = dlopen(QFile::encodeName(PercorsoDaAprire(nomeFile)).constData(), Modo);
    if (!libreria && !QFileInfo(nomeFile).fileName().contains(u'.'))
        return Carica(nomeFile + QStringLiteral(".so"));
    // The databases name libraries the Windows way ("Pelmar.dll"); here they are ".so".
    if (!libreria && nomeFile.endsWith(QStringLiteral(".dll"), Qt::CaseInsensitive)) {
        const QString so = nomeFile.chopped(4) + QStringLiteral(".so");
        libreria = dlopen(QFile::encodeName(PercorsoDaAprire(so)).constData(), Modo);
    }
    return libreria;
}

void* LibrerieDiSistema::Cerca(void* libreria, const QString& nome) {
    if (libreria == nullptr || nome.isEmpty())
        return nullptr;
    return dlsym(libreria, ACp1252(nome).constData());
}

void LibrerieDiSistema::Scarica(void* libreria) {
    if (libreria)
        dlclose(libreria);
}

Librerie& LibrerieCorrenti() {
    static LibrerieDiSistema sistema;
    Librerie* impostate = LibrerieImpostate();
    return impostate ? *impostate : sistema;
}

void ImpostaLibrerie(Librerie* librerie) {
    LibrerieImpostate() = librerie;
}

void* CaricaLibreria(const QString& nomeFile) {
    return LibrerieCorrenti().Carica(nomeFile);
}

void* CercaFunzione(void* libreria, const QString& nome) {
    return LibrerieCorrenti().Cerca(libreria, nome);
}

void ScaricaLibreria(void* libreria) {
    LibrerieCorrenti().Scarica(libreria);
}

void* CaricaEsportazione(const QString& nomeFile, const QString& nome) {
    void* libreria = CaricaLibreria(nomeFile);
    return libreria ? CercaFunzione(libreria, nome) : nullptr;
}

} // namespace piattaforma
