#pragma once

#include <QLoggingCategory>

// Debug log of the parameter store, the parameter files and the presets.
Q_DECLARE_LOGGING_CATEGORY(lcParams)
