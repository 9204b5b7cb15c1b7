#include "sim/SimLine.h"

#include "sim/PipeLine.h"
#ifdef Q_OS_UNIX
#include "sim/PtyLine.h"
#endif

bool SimLine::pseudoTerminalsAvailable()
{
#ifdef Q_OS_UNIX
    return true;
#else
    return false;
#endif
}

std::unique_ptr<SimLine> SimLine::create(bool inProcess)
{
#ifdef Q_OS_UNIX
    if (!inProcess)
        return std::make_unique<PtyLine>();
#else
    Q_UNUSED(inProcess);
#endif
    return std::make_unique<PipeLine>();
}
