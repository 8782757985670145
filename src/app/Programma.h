#pragma once

#include <functional>

class TBaseMainForm;

// The program start: the application, the message boxes, the end on stop signals and on
// the loss of the display, the access window and its event loop. pronto runs once the
// window shows (programs that drive the real program in tests log in from there).
int EseguiProgramma(int argc, char** argv, const std::function<void(TBaseMainForm&)>& pronto = {});
