/* What the test function library ProvaFunzioni offers the tests beside its entries: the
 * calls it received, read back through the same loaded instance. */
#ifndef PROVA_FUNZIONI_H
#define PROVA_FUNZIONI_H

#include <stdint.h>

typedef struct ProvaChiamata {
    const char* Voce; /* the export that was called */
    int32_t Utente;
    int32_t HaFinestra; /* 1 when the entry's form carries a window identifier */
    int32_t IdFinestra;
    int32_t HaParametri; /* 1 when the entry's form carries a parameter text */
    int32_t ParametriNulli; /* 1 when the parameter pointer was null */
    const char* Parametri; /* the bytes before the terminating zero; "" when null */
} ProvaChiamata;

/* Exports "ProvaNumeroChiamate", "ProvaLeggiChiamata" and "ProvaSvuota". The texts of a
 * call stay valid until the record is emptied. */
typedef int32_t (*ProvaNumeroChiamateFn)(void);
/* 0 when there is no call at that index. */
typedef int32_t (*ProvaLeggiChiamataFn)(int32_t indice, ProvaChiamata* chiamata);
typedef void (*ProvaSvuotaFn)(void);

#endif
