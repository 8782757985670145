#pragma once

#include <QString>

namespace piattaforma {

// The loader of the function libraries. Everything loads through LibrerieCorrenti(), so a
// test can watch what is asked of it; libraries are never unloaded, but the printing one.
class Librerie {
public:
    virtual ~Librerie() = default;
    // Null on failure.
    virtual void* Carica(const QString& nomeFile) = 0;
    // Null when the library is null or has no such export.
    virtual void* Cerca(void* libreria, const QString& nome) = 0;
    // Only where a caller loads a library for one call and lets it go.
    virtual void Scarica(void* /*libreria*/) {}
};

// The system loader, with the Windows search order where it matters: a bare file name is
// looked for beside the executable first, then wherever the system loader looks. Paths
// in Windows form are made native first. A name without extension gets ".so", as the
// Windows loader adds ".dll".
class LibrerieDiSistema : public Librerie {
public:
    void* Carica(const QString& nomeFile) override;
    void* Cerca(void* libreria, const QString& nome) override;
    void Scarica(void* libreria) override;
};

Librerie& LibrerieCorrenti();
// nullptr restores the system loader.
void ImpostaLibrerie(Librerie* librerie);

void* CaricaLibreria(const QString& nomeFile);
void* CercaFunzione(void* libreria, const QString& nome);
void ScaricaLibreria(void* libreria);
// Loads the library and finds the export in it; null when either fails.
void* CaricaEsportazione(const QString& nomeFile, const QString& nome);

} // namespace piattaforma
