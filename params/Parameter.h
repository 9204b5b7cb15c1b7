#pragma once

#include <QMetaType>
#include <QString>

// One flight-controller parameter as the link reports it and the window keeps
// it: a name of at most 16 characters (letters, digits, underscores) and its
// value. Travels by value across threads.
struct Parameter
{
    QString name;
    double value = 0.0;
};

Q_DECLARE_METATYPE(Parameter)
