#pragma once

#include <QLoggingCategory>

// Debug log of the application shell ("tavro.app").
Q_DECLARE_LOGGING_CATEGORY(lcApp)
