#include "TickWorker.h"
