#pragma once

#include <QLoggingCategory>

// Debug log of the page classes.
Q_DECLARE_LOGGING_CATEGORY(lcPages)
