#pragma once

#include <QLoggingCategory>

// Debug log of the widget set ("tavro.widgets").
Q_DECLARE_LOGGING_CATEGORY(lcWidgets)
