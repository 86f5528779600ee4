#pragma once

namespace principal {

// The main program: the method menu, the report base name and the call of
// the chosen routine. Returns 0, the process exit status.
int principal();

}  // namespace principal
