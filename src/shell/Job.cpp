#include "shell/Job.h"
