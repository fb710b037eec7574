// The subcommands that show the log as the program's windows do: the tree, the
// find list and the message counts.
#pragma once

#include "Args.h"

namespace qx::cli {

int RunTree(const Args& a);
int RunSearch(const Args& a);
int RunStats(const Args& a);

}  // namespace qx::cli
