// The subcommands of stipplewave-host. Each takes the arguments after its
// own name and returns the process exit code.
#pragma once

#include <string>
#include <vector>

namespace vsthost {

using Arguments = std::vector<std::string>;

int runInfo(const Arguments& args);
int runValidate(const Arguments& args);
#if defined(STIPPLEWAVE_HOST_EDITOR)
int runSnapshot(const Arguments& args);
int runEdit(const Arguments& args);
#endif
// Built only where libsndfile is found (STIPPLEWAVE_HOST_RENDER).
int runRender(const Arguments& args);

}  // namespace vsthost
