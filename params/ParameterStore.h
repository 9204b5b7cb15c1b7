#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include "params/Parameter.h"

// The window's copy of the flight controller's parameters: one ordered list in
// first-seen order, names unique and compared case-sensitively. Shared by the
// pages; it knows no widgets. A value the flight controller confirms is
// announced by parameterConfirmed, and listeners that move controls from it do
// so while paramUiUpdating is set, so their handlers do not write back.
class ParameterStore : public QObject
{
    Q_OBJECT

public:
    explicit ParameterStore(QObject* parent = nullptr);

    const QList<Parameter>& parameterList() const;

    // Value of the first parameter named `name`, or -1.0 when there is none.
    double findParameterValue(const QString& name) const;
    static double findParameterValue(const QList<Parameter>& list, const QString& name);

    // Updates an existing parameter (emits parameterConfirmed with
    // paramUiUpdating set, then parameterChanged) or appends a new one when
    // its name is valid (emits parameterChanged). Returns false, leaving the
    // list unchanged, for an unknown invalid name.
    bool setParameterValue(const QString& name, double value);

    // Removes every parameter; emits cleared().
    void clearParameterValue();

    // Overwrites the value of the parameter of that name, else appends it.
    // Used for downloaded parameters; emits parameterChanged.
    void insertOrUpdate(const Parameter& p);

    bool contains(const QString& name) const;
    int size() const;

    // Position of the parameter named `name` in parameterList(), or -1.
    // Constant time: the table views look names up on every confirmation.
    int indexOf(const QString& name) const;

    // 1 to 16 characters, each an ASCII letter, digit or underscore.
    static bool isValidName(const QString& name);

    // Slider positions of the tuning page, rounded half away from zero (not
    // clamped; the sliders clamp to their 0..100 range themselves).
    //   roll/pitch rate P: (v - 0.02) / 0.06 * 100
    //   yaw rate P:        (v - 0.15) / (0.35 - 0.15) * 100
    //   brake accel:       (v - 50) / 450 * 100
    static int rateRollPitchSliderPosition(double value);
    static int rateYawSliderPosition(double value);
    static int brakeAccelSliderPosition(double value);

    // True while the program itself moves controls from parameter values.
    bool paramUiUpdating = false;

signals:
    // A confirmed update of an existing parameter (emitted with
    // paramUiUpdating true).
    void parameterConfirmed(const QString& name, double value);
    // Any insertion or update, confirmed or downloaded.
    void parameterChanged(const QString& name, double value);
    // Emitted by clearParameterValue() before the list is emptied, so views
    // over the list can announce a reset while the rows still exist.
    void aboutToBeCleared();
    void cleared();

private:
    QList<Parameter> m_list;
    QHash<QString, int> m_index; // name -> position in m_list
};
