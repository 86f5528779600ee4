#pragma once
#include "subrotinas/equacao.hpp"

namespace principal {

// The main program: the method menu, the report base name and the call of
// the chosen routine, which solves `equacao`. Returns 0, the process exit
// status. Simple fixed point needs the equation's g: without one, choosing
// it ends the run at once with a message on standard error and the status
// of a refused command line (command_line.hpp).
template <class Equacao>
int principal(Equacao& equacao);

extern template int principal(subrotinas::EquacaoEmbutida&);
extern template int principal(subrotinas::EquacaoDigitada&);

}  // namespace principal
