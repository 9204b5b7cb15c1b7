#include "params/ParamsLog.h"

Q_LOGGING_CATEGORY(lcParams, "tavro.params")
