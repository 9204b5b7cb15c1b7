#pragma once

#include <QLoggingCategory>

// Debug log of the dialogs ("tavro.dialogs").
Q_DECLARE_LOGGING_CATEGORY(lcDialogs)
