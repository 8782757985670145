#pragma once

// The one owner of a client interface. The client hands out interfaces that must be let go
// exactly once, each kind in its own way; this handle does it in its destructor, so no path
// (an error thrown halfway included) forgets one or lets one go twice.

#include <utility>

namespace Firebird {
class IAttachment;
class ITransaction;
class IStatement;
class IResultSet;
class IMessageMetadata;
class IMetadataBuilder;
class IBlob;
class IXpbBuilder;
} // namespace Firebird

namespace fb::client {

// How each kind is let go. They never throw: an attachment is detached, a transaction rolled
// back, a cursor or a blob closed, and when that fails the interface is released all the same.
void Libera(Firebird::IAttachment* attacco) noexcept;
void Libera(Firebird::ITransaction* transazione) noexcept;
void Libera(Firebird::IStatement* istruzione) noexcept;
void Libera(Firebird::IResultSet* cursore) noexcept;
void Libera(Firebird::IMessageMetadata* metadati) noexcept;
void Libera(Firebird::IMetadataBuilder* costruttore) noexcept;
void Libera(Firebird::IBlob* blob) noexcept;
void Libera(Firebird::IXpbBuilder* blocco) noexcept;

template <typename T> class Interfaccia {
public:
    Interfaccia() = default;
    explicit Interfaccia(T* p) noexcept : p_(p) {}
    ~Interfaccia() { Azzera(); }
    Interfaccia(const Interfaccia&) = delete;
    Interfaccia& operator=(const Interfaccia&) = delete;
    Interfaccia(Interfaccia&& altra) noexcept : p_(std::exchange(altra.p_, nullptr)) {}
    Interfaccia& operator=(Interfaccia&& altra) noexcept {
        if (this != &altra) {
            Azzera();
            p_ = std::exchange(altra.p_, nullptr);
        }
        return *this;
    }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    // Lets the interface go now.
    void Azzera() noexcept {
        if (p_)
            Libera(std::exchange(p_, nullptr));
    }
    // The call that ends the interface (commit, rollback, detach, close) succeeded and has
    // released it already.
    void Concluso() noexcept { p_ = nullptr; }
    // Hands the interface to a caller that takes it over.
    [[nodiscard]] T* Cedi() noexcept { return std::exchange(p_, nullptr); }

private:
    T* p_ = nullptr;
};

} // namespace fb::client
