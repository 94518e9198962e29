#include "platform/sim/sim_process.h"

namespace vcl {

void SimProcess::ExitProcess(int code) {
  throw SimExit{code};
}

}  // namespace vcl
