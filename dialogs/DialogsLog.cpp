#include "dialogs/DialogsLog.h"

Q_LOGGING_CATEGORY(lcDialogs, "tavro.dialogs")
