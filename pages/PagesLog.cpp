#include "pages/PagesLog.h"

Q_LOGGING_CATEGORY(lcPages, "tavro.pages")
