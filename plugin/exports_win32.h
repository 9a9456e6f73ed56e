// The exported entry points, as the library's load sets them up.
#pragma once

// At DLL_PROCESS_ATTACH, after openUnloadGate(): each exported name from
// then on enters through its gate.
void gateExports();
