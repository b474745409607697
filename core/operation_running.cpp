#include "core/operation_running.h"

bool operation_running = false;
