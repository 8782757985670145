#pragma once

namespace fb {

// The client answers SIGTERM and SIGINT by detaching every database behind the program's
// back and letting it run on dead connections. A program that ends itself on those
// signals calls this once at its start.
void RifiutaChiusuraDelClientSuSegnale();

} // namespace fb
