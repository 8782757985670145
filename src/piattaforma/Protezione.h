#pragma once

#include <exception>
#include <functional>
#include <utility>

namespace piattaforma {

// Runs one event's work: whatever it throws, std::exception or not, goes to the general
// error report and ends that work only. Nothing is thrown through the toolkit's signal or
// event delivery, which does not expect it. True when the work ran to its end.
bool EseguiProtetto(const std::function<void()>& lavoro);

// The general error report; the program installs its own (it knows the database errors).
// Without one, the error's text goes to an error box.
void ImpostaRapportoEccezioni(std::function<void(std::exception_ptr)> rapporto);
void RiportaEccezione(std::exception_ptr eccezione);

// A handler for connect(): the same work, under the guard, whatever the signal carries.
template <typename Lavoro> auto Protetto(Lavoro lavoro) {
    return [lavoro = std::move(lavoro)](auto&&...) { EseguiProtetto(lavoro); };
}

} // namespace piattaforma
