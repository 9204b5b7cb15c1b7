#pragma once

#include <QObject>
#include <QString>

class QPushButton;
class QSlider;

// Process-wide helper that turns a few numbers and colour names into style
// sheets for flat push buttons and sliders.
class FlatUI : public QObject
{
    Q_OBJECT

public:
    // The single instance, created on first use (safe against concurrent first
    // calls).
    static FlatUI *Instance();

    // Sets (and returns) the flat style of a push button. A null button only
    // gets the string built.
    QString setPushButtonQss(QPushButton *btn, int radius, int padding,
                             const QString &normalColor, const QString &normalTextColor,
                             const QString &hoverColor, const QString &hoverTextColor,
                             const QString &pressedColor, const QString &pressedTextColor);

    // Sets (and returns) the flat style of a slider of groove height sliderHeight.
    // A null slider only gets the string built.
    QString setSliderQss(QSlider *slider, int sliderHeight, const QString &normalColor,
                         const QString &grooveColor, const QString &handleColor);

private:
    explicit FlatUI(QObject *parent = nullptr);
    ~FlatUI() override;
};
