#include "app/BarraProgrammi.h"

#include "app/ListaImmagini.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int Margine = 6;
constexpr int RientroVoci = 22;

} // namespace

// A group's header: its picture and caption on the window colour; the open group is marked
// by a stripe on the left and a bold caption, the one under the mouse by an underline.
class TIntestazioneGruppo : public QAbstractButton {
public:
    TIntestazioneGruppo(TGruppoProgramma* gruppo, TBarraProgrammi* barra, QWidget* parent)
        : QAbstractButton(parent), gruppo_(gruppo), barra_(barra) {
        setCheckable(true);
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_Hover);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setCursor(Qt::PointingHandCursor);
    }

    QSize sizeHint() const override {
        const int contenuto =
            std::max(barra_->IconeProgrammi->Dimensione().height(), fontMetrics().height());
        return {120, contenuto + 2 * Margine};
    }
    QSize minimumSizeHint() const override { return {0, sizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter pittore(this);
        const QPalette& colori = palette();
        // Always the window colour: the pictures are drawn over it.
        pittore.fillRect(rect(), colori.color(QPalette::Window));
        pittore.setPen(colori.color(QPalette::Mid));
        pittore.drawLine(0, height() - 1, width(), height() - 1);
        if (isChecked())
            pittore.fillRect(0, 0, 4, height() - 1, colori.color(QPalette::Highlight));

        const int spostamento = isDown() ? 1 : 0;
        const QSize dimensione = barra_->IconeProgrammi->Dimensione();
        int x = Margine + 4 + spostamento;
        const QPixmap immagine = barra_->IconeProgrammi->Immagine(gruppo_->IndiceImmagineGrande());
        if (!immagine.isNull())
            pittore.drawPixmap(x, (height() - dimensione.height()) / 2 + spostamento, immagine);
        // The room of the picture stays empty without one, so the captions line up.
        x += dimensione.width() + Margine;

        QFont carattere = font();
        carattere.setBold(isChecked());
        carattere.setUnderline(underMouse());
        pittore.setFont(carattere);
        pittore.setPen(colori.color(QPalette::WindowText));
        const QRect posto(x, spostamento, width() - x - Margine, height());
        pittore.drawText(posto, Qt::AlignVCenter | Qt::AlignLeft,
                         QFontMetrics(carattere).elidedText(text(), Qt::ElideRight, posto.width()));
    }

private:
    TGruppoProgramma* gruppo_;
    TBarraProgrammi* barra_;
};

// An item linked into the open group: a line of text on the list's background, underlined
// under the mouse.
class TCollegamentoVoce : public QAbstractButton {
public:
    explicit TCollegamentoVoce(QWidget* parent) : QAbstractButton(parent) {
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_Hover);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setCursor(Qt::PointingHandCursor);
    }

    QSize sizeHint() const override { return {120, fontMetrics().height() + 8}; }
    QSize minimumSizeHint() const override { return {0, sizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter pittore(this);
        const QPalette& colori = palette();
        pittore.fillRect(rect(), colori.color(QPalette::Base));
        QFont carattere = font();
        carattere.setUnderline(underMouse());
        pittore.setFont(carattere);
        pittore.setPen(colori.color(isDown() ? QPalette::Highlight : QPalette::Text));
        const QRect posto(RientroVoci, 0, width() - RientroVoci - Margine, height());
        pittore.drawText(posto, Qt::AlignVCenter | Qt::AlignLeft,
                         QFontMetrics(carattere).elidedText(text(), Qt::ElideRight, posto.width()));
    }
};

// ---- TVoceRapida ----

TVoceRapida::TVoceRapida(QObject* proprietario) : QObject(proprietario) {}

void TVoceRapida::ImpostaTesto(const QString& testo) {
    testo_ = testo;
    emit TestoCambiato(testo);
}

// ---- TGruppoProgramma ----

TGruppoProgramma::TGruppoProgramma(TBarraProgrammi* barra)
    : QObject(barra), barra_(barra),
      intestazione_(new TIntestazioneGruppo(this, barra, barra->contenuto_)) {
    connect(intestazione_, &QAbstractButton::clicked, this, &TGruppoProgramma::Clicca);
}

void TGruppoProgramma::ImpostaTesto(const QString& testo) {
    testo_ = testo;
    intestazione_->setText(testo);
    intestazione_->setToolTip(testo);
}

void TGruppoProgramma::ImpostaIndiceImmagineGrande(int indice) {
    indiceGrande_ = indice;
    intestazione_->update();
}

void TGruppoProgramma::ImpostaIndiceImmaginePiccola(int indice) {
    indicePiccolo_ = indice;
    barra_->Disponi();
}

void TGruppoProgramma::ImpostaVisibile(bool visibile) {
    visibile_ = visibile;
    barra_->Disponi();
}

void TGruppoProgramma::Collega(TVoceRapida* voce) {
    if (voce->gruppo_ == this)
        return;
    if (TGruppoProgramma* precedente = voce->gruppo_) {
        auto& altri = precedente->collegamenti_;
        for (auto& c : altri)
            if (c.voce == voce && c.widget)
                c.widget->deleteLater();
        std::erase_if(altri, [voce](const Collegamento& c) { return c.voce == voce; });
    }
    voce->gruppo_ = this;

    auto* widget = new TCollegamentoVoce(barra_->contenuto_);
    QFont carattere = widget->font();
    carattere.setPointSize(barra_->FontVoci());
    widget->setFont(carattere);
    widget->setText(voce->Testo());
    widget->hide();
    connect(voce, &TVoceRapida::TestoCambiato, widget, &QAbstractButton::setText);
    connect(widget, &QAbstractButton::clicked, voce, &TVoceRapida::Clicca);
    // An item deleted by its owner takes its line with it.
    connect(voce, &QObject::destroyed, widget, &QObject::deleteLater);
    collegamenti_.push_back({voce, widget});
    barra_->Disponi();
}

std::vector<TVoceRapida*> TGruppoProgramma::Voci() const {
    std::vector<TVoceRapida*> voci;
    for (const Collegamento& c : collegamenti_)
        if (c.voce)
            voci.push_back(c.voce);
    return voci;
}

void TGruppoProgramma::Clicca() {
    barra_->ApriGruppo(this);
    emit Click(this);
}

void TGruppoProgramma::Smonta() {
    intestazione_->hide();
    intestazione_->deleteLater();
    for (Collegamento& c : collegamenti_) {
        if (c.widget) {
            c.widget->hide();
            c.widget->deleteLater();
        }
        if (c.voce)
            c.voce->deleteLater();
    }
    collegamenti_.clear();
    deleteLater();
}

// ---- TBarraProgrammi ----

TBarraProgrammi::TBarraProgrammi(QWidget* parent)
    : QWidget(parent),
      IconeProgrammi(new TListaImmagini({32, 32}, palette().color(QPalette::Window), this)),
      Icone2Programmi(new TListaImmagini({16, 16}, std::nullopt, this)) {
    auto* principale = new QVBoxLayout(this);
    principale->setContentsMargins(0, 0, 0, 0);
    principale->setSpacing(0);

    area_ = new QScrollArea(this);
    area_->setFrameShape(QFrame::StyledPanel);
    area_->setWidgetResizable(true);
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    contenuto_ = new QWidget;
    contenuto_->setBackgroundRole(QPalette::Base);
    contenuto_->setAutoFillBackground(true);
    colonna_ = new QVBoxLayout(contenuto_);
    colonna_->setContentsMargins(0, 0, 0, 0);
    colonna_->setSpacing(0);
    area_->setWidget(contenuto_);
    principale->addWidget(area_, 1);

    striscia_ = new QWidget(this);
    rigaRidotti_ = new QHBoxLayout(striscia_);
    rigaRidotti_->setContentsMargins(2, 2, 2, 2);
    rigaRidotti_->setSpacing(2);
    striscia_->hide();
    principale->addWidget(striscia_);

    // The headers read their pictures when they paint.
    for (TListaImmagini* lista : {IconeProgrammi, Icone2Programmi})
        connect(lista, &TListaImmagini::Cambiata, contenuto_, qOverload<>(&QWidget::update));
    Disponi();
}

void TBarraProgrammi::ImpostaLimiteGruppi(int limite) {
    limiteGruppi_ = limite;
    Disponi();
}

void TBarraProgrammi::ImpostaFontVoci(int punti) {
    fontVoci_ = punti;
    for (TGruppoProgramma* gruppo : gruppi_)
        for (auto& c : gruppo->collegamenti_)
            if (c.widget) {
                QFont carattere = c.widget->font();
                carattere.setPointSize(punti);
                c.widget->setFont(carattere);
            }
}

TGruppoProgramma* TBarraProgrammi::AggiungiGruppo() {
    auto* gruppo = new TGruppoProgramma(this);
    gruppi_.push_back(gruppo);
    Disponi();
    return gruppo;
}

void TBarraProgrammi::RimuoviGruppi() {
    for (TGruppoProgramma* gruppo : gruppi_)
        gruppo->Smonta();
    gruppi_.clear();
    aperto_ = nullptr;
    Disponi();
}

void TBarraProgrammi::ApriGruppo(TGruppoProgramma* gruppo) {
    aperto_ = gruppo;
    Disponi();
}

TGruppoProgramma* TBarraProgrammi::GruppoAttivo() const {
    if (aperto_ && aperto_->Visibile())
        return aperto_;
    const auto primo = std::find_if(gruppi_.begin(), gruppi_.end(),
                                    [](const TGruppoProgramma* g) { return g->Visibile(); });
    return primo == gruppi_.end() ? nullptr : *primo;
}

void TBarraProgrammi::SvuotaDisposizione() {
    while (QLayoutItem* elemento = colonna_->takeAt(0))
        delete elemento;
    while (QLayoutItem* elemento = rigaRidotti_->takeAt(0)) {
        // The small pictures are made again each time; one may be the button being clicked.
        if (QWidget* widget = elemento->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete elemento;
    }
}

// Headers in order up to the limit, the active group's items after its header (or after
// the last header shown when its own is in the bottom row), then room, then the rest.
void TBarraProgrammi::Disponi() {
    if (bloccata_ > 0) {
        daDisporre_ = true;
        return;
    }
    daDisporre_ = false;
    SvuotaDisposizione();
    TGruppoProgramma* attivo = GruppoAttivo();
    int mostrati = 0;
    bool vociMesse = false;
    const auto metti = [&](TGruppoProgramma* g) {
        for (auto& c : g->collegamenti_)
            if (c.widget) {
                colonna_->addWidget(c.widget);
                c.widget->show();
            }
        colonna_->addStretch(1);
        vociMesse = true;
    };
    for (TGruppoProgramma* gruppo : gruppi_) {
        const bool pieno = gruppo->Visibile() && (limiteGruppi_ <= 0 || mostrati < limiteGruppi_);
        gruppo->intestazione_->setChecked(gruppo == attivo);
        gruppo->intestazione_->setVisible(pieno);
        for (auto& c : gruppo->collegamenti_)
            if (c.widget)
                c.widget->setVisible(gruppo == attivo);
        if (pieno) {
            colonna_->addWidget(gruppo->intestazione_);
            ++mostrati;
            if (gruppo == attivo)
                metti(gruppo);
        } else if (gruppo->Visibile()) {
            AggiungiRidotto(gruppo);
        }
    }
    if (!vociMesse) {
        if (attivo)
            metti(attivo);
        else
            colonna_->addStretch(1);
    }
    rigaRidotti_->addStretch(1);
    striscia_->setVisible(rigaRidotti_->count() > 1);
}

void TBarraProgrammi::AggiungiRidotto(TGruppoProgramma* gruppo) {
    auto* pulsante = new QToolButton(striscia_);
    pulsante->setAutoRaise(true);
    pulsante->setCheckable(true);
    pulsante->setChecked(gruppo == GruppoAttivo());
    pulsante->setFocusPolicy(Qt::NoFocus);
    pulsante->setToolTip(gruppo->Testo());
    const QPixmap immagine = Icone2Programmi->Immagine(gruppo->IndiceImmaginePiccola());
    if (immagine.isNull())
        pulsante->setText(gruppo->Testo().left(1));
    else
        pulsante->setIcon(immagine);
    pulsante->setIconSize(Icone2Programmi->Dimensione());
    connect(pulsante, &QToolButton::clicked, gruppo, &TGruppoProgramma::Clicca);
    rigaRidotti_->addWidget(pulsante);
}
