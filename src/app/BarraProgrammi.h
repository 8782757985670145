#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <vector>

class QBoxLayout;
class QScrollArea;
class TBarraProgrammi;
class TGruppoProgramma;
class TIntestazioneGruppo;
class TCollegamentoVoce;
class TListaImmagini;

// A quick entry of the navigation bar. It belongs to whoever creates it; it is shown once
// linked into a group.
class TVoceRapida : public QObject {
    Q_OBJECT
public:
    explicit TVoceRapida(QObject* proprietario);

    QString Testo() const { return testo_; }
    void ImpostaTesto(const QString& testo);
    int Tag() const { return tag_; }
    void ImpostaTag(int tag) { tag_ = tag; }
    // The group it is linked into; null when none.
    TGruppoProgramma* Gruppo() const { return gruppo_; }

    // What a click on its link does.
    void Clicca() { emit Click(this); }

signals:
    void Click(TVoceRapida* voce);
    void TestoCambiato(const QString& testo);

private:
    friend class TGruppoProgramma;
    QString testo_;
    int tag_ = 0;
    QPointer<TGruppoProgramma> gruppo_;
};

// A group of the navigation bar: a header with caption and picture, and the quick entries
// linked into it, listed under the header while the group is the open one.
class TGruppoProgramma : public QObject {
    Q_OBJECT
public:
    QString Testo() const { return testo_; }
    void ImpostaTesto(const QString& testo);
    int Tag() const { return tag_; }
    void ImpostaTag(int tag) { tag_ = tag; }
    // Indexes into the bar's image lists; -1 shows no picture.
    int IndiceImmagineGrande() const { return indiceGrande_; }
    void ImpostaIndiceImmagineGrande(int indice);
    int IndiceImmaginePiccola() const { return indicePiccolo_; }
    void ImpostaIndiceImmaginePiccola(int indice);
    bool Visibile() const { return visibile_; }
    void ImpostaVisibile(bool visibile);

    // Links an item after those already there; an item sits in one group at a time.
    void Collega(TVoceRapida* voce);
    std::vector<TVoceRapida*> Voci() const;

    // What a click on the header does: the group opens and says so, even when it was open.
    void Clicca();

signals:
    void Click(TGruppoProgramma* gruppo);

private:
    friend class TBarraProgrammi;
    explicit TGruppoProgramma(TBarraProgrammi* barra);
    // Takes the group off the bar: its widgets and linked items go once the current event
    // is over, since a click on one of them may be what led here.
    void Smonta();

    struct Collegamento {
        QPointer<TVoceRapida> voce;
        QPointer<TCollegamentoVoce> widget;
    };

    TBarraProgrammi* barra_;
    QString testo_;
    int tag_ = 0;
    int indiceGrande_ = -1;
    int indicePiccolo_ = -1;
    bool visibile_ = true;
    TIntestazioneGruppo* intestazione_;
    std::vector<Collegamento> collegamenti_;
};

// The navigation bar of programs on the left of the menu window, in the manner of an
// Outlook bar: group headers stacked, the open group's items listed under its header and
// the following headers at the bottom; it scrolls when the content does not fit.
class TBarraProgrammi : public QWidget {
    Q_OBJECT
public:
    explicit TBarraProgrammi(QWidget* parent);

    // How many group headers are shown in full; the rest appear as small pictures in a row
    // at the bottom. 0 is no limit.
    int LimiteGruppi() const { return limiteGruppi_; }
    void ImpostaLimiteGruppi(int limite);

    // Point size of the items' text in every state (normal, hot, pressed, disabled).
    int FontVoci() const { return fontVoci_; }
    void ImpostaFontVoci(int punti);

    // 32 x 32 pictures for the headers, drawn over the window colour; 16 x 16 for the
    // row of small pictures. The same index names the same icon in both.
    TListaImmagini* IconeProgrammi;
    TListaImmagini* Icone2Programmi;

    // A new group after the others, owned by the bar.
    TGruppoProgramma* AggiungiGruppo();
    // Removes every group; the items linked into them go with them.
    void RimuoviGruppi();
    const std::vector<TGruppoProgramma*>& ElencoGruppi() const { return gruppi_; }

    // The group last opened by a click or by ApriGruppo, whether shown or not.
    TGruppoProgramma* GruppoAperto() const { return aperto_; }
    void ApriGruppo(TGruppoProgramma* gruppo);
    // The open group if it is visible, else the first visible group; null when none is.
    TGruppoProgramma* GruppoAttivo() const;

    // While one lives, changes to the bar are laid out once, when the last one goes: a load
    // of many groups would otherwise lay the whole bar out for each of them.
    class Blocco {
    public:
        explicit Blocco(TBarraProgrammi* barra) : barra_(barra) { ++barra_->bloccata_; }
        ~Blocco() {
            if (--barra_->bloccata_ == 0 && barra_->daDisporre_)
                barra_->Disponi();
        }
        Blocco(const Blocco&) = delete;
        Blocco& operator=(const Blocco&) = delete;

    private:
        TBarraProgrammi* barra_;
    };

private:
    friend class TGruppoProgramma;
    int bloccata_ = 0;
    bool daDisporre_ = false;
    void Disponi();
    void SvuotaDisposizione();
    void AggiungiRidotto(TGruppoProgramma* gruppo);

    int limiteGruppi_ = 0;
    int fontVoci_ = 8;
    std::vector<TGruppoProgramma*> gruppi_;
    QPointer<TGruppoProgramma> aperto_;
    QScrollArea* area_;
    QWidget* contenuto_;
    QBoxLayout* colonna_;
    QWidget* striscia_;
    QBoxLayout* rigaRidotti_;
};
