#include "platform/sim/sim_process.h"

namespace vcl {

void SimProcess::ExitProcess(int code) {
  if (log != nullptr) log->push_back("ExitProcess " + std::to_string(code));
  throw SimExit{code};
}

}  // namespace vcl
