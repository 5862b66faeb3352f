#include "common/run_options.h"

RunOptions runOptions;
