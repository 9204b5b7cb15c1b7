#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class QTimer;

// Value shown as a coloured arc on a ring, with the number, a percentage or a
// fixed text in the middle. Painted in a logical 200 x 200 square.
class ProgressRing : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double minValue READ minValue WRITE setMinValue)
    Q_PROPERTY(double maxValue READ maxValue WRITE setMaxValue)
    Q_PROPERTY(double value READ value WRITE setValue)
    Q_PROPERTY(int precision READ precision WRITE setPrecision)
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(bool clockWise READ clockWise WRITE setClockWise)
    Q_PROPERTY(bool showPercent READ showPercent WRITE setShowPercent)
    Q_PROPERTY(int alarmMode READ alarmMode WRITE setAlarmMode)
    Q_PROPERTY(int startAngle READ startAngle WRITE setStartAngle)
    Q_PROPERTY(int ringPadding READ ringPadding WRITE setRingPadding)
    Q_PROPERTY(int ringWidth READ ringWidth WRITE setRingWidth)
    Q_PROPERTY(bool animation READ animation WRITE setAnimation)
    Q_PROPERTY(double animationStep READ animationStep WRITE setAnimationStep)
    Q_PROPERTY(QColor bgColor READ bgColor WRITE setBgColor)
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)
    Q_PROPERTY(QColor ringColor READ ringColor WRITE setRingColor)
    Q_PROPERTY(QColor ringBgColor READ ringBgColor WRITE setRingBgColor)
    Q_PROPERTY(QColor circleColor READ circleColor WRITE setCircleColor)
    Q_PROPERTY(int ringValue1 READ ringValue1 WRITE setRingValue1)
    Q_PROPERTY(int ringValue2 READ ringValue2 WRITE setRingValue2)
    Q_PROPERTY(int ringValue3 READ ringValue3 WRITE setRingValue3)
    Q_PROPERTY(QColor ringColor1 READ ringColor1 WRITE setRingColor1)
    Q_PROPERTY(QColor ringColor2 READ ringColor2 WRITE setRingColor2)
    Q_PROPERTY(QColor ringColor3 READ ringColor3 WRITE setRingColor3)

public:
    explicit ProgressRing(QWidget *parent = nullptr);
    ~ProgressRing() override;

    double minValue() const { return m_minValue; }
    double maxValue() const { return m_maxValue; }
    double value() const { return m_value; }
    int precision() const { return m_precision; }
    QString text() const { return m_text; }
    bool clockWise() const { return m_clockWise; }
    bool showPercent() const { return m_showPercent; }
    int alarmMode() const { return m_alarmMode; }
    int startAngle() const { return m_startAngle; }
    int ringPadding() const { return m_ringPadding; }
    int ringWidth() const { return m_ringWidth; }
    bool animation() const { return m_animation; }
    double animationStep() const { return m_animationStep; }
    QColor bgColor() const { return m_bgColor; }
    QColor textColor() const { return m_textColor; }
    QColor ringColor() const { return m_ringColor; }
    QColor ringBgColor() const { return m_ringBgColor; }
    QColor circleColor() const { return m_circleColor; }
    int ringValue1() const { return m_ringValue1; }
    int ringValue2() const { return m_ringValue2; }
    int ringValue3() const { return m_ringValue3; }
    QColor ringColor1() const { return m_ringColor1; }
    QColor ringColor2() const { return m_ringColor2; }
    QColor ringColor3() const { return m_ringColor3; }

    // The value the ring currently shows; trails value() while animating.
    double displayedValue() const { return m_currentValue; }
    // The text painted in the middle for the displayed value.
    QString centreText() const;
    // The arc colour for the displayed value (alarm mode applied).
    QColor arcColor() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    // Ignored unless min < max; a value outside the new range is clamped.
    void setRange(double minValue, double maxValue);
    void setRange(int minValue, int maxValue);
    void setMinValue(double minValue);
    void setMaxValue(double maxValue);
    // Clamps into the range; emits valueChanged(truncated) on a change.
    void setValue(double value);
    void setValue(int value);
    // Ignored above 3.
    void setPrecision(int precision);
    void setText(const QString &text);
    void setClockWise(bool clockWise);
    void setShowPercent(bool showPercent);
    void setAlarmMode(int alarmMode);
    void setStartAngle(int startAngle);
    void setRingPadding(int ringPadding);
    void setRingWidth(int ringWidth);
    void setAnimation(bool animation);
    void setAnimationStep(double animationStep);
    void setBgColor(const QColor &color);
    void setTextColor(const QColor &color);
    void setRingColor(const QColor &color);
    void setRingBgColor(const QColor &color);
    void setCircleColor(const QColor &color);
    void setRingValue1(int ringValue1);
    void setRingValue2(int ringValue2);
    void setRingValue3(int ringValue3);
    void setRingColor1(const QColor &color);
    void setRingColor2(const QColor &color);
    void setRingColor3(const QColor &color);

Q_SIGNALS:
    void valueChanged(int value);

protected:
    void paintEvent(QPaintEvent *event) override;

private Q_SLOTS:
    void updateValue();

private:
    template <typename T>
    void store(T &member, const T &value);

    double m_minValue = 0;
    double m_maxValue = 100;
    double m_value = 0;
    int m_precision = 0;
    QString m_text;
    bool m_clockWise = true;
    bool m_showPercent = false;
    int m_alarmMode = 0;
    int m_startAngle = 90;
    int m_ringPadding = 3;
    int m_ringWidth = 15;
    bool m_animation = false;
    double m_animationStep = 0.5;
    QColor m_bgColor{250, 250, 250};
    QColor m_textColor{50, 50, 50};
    QColor m_ringColor{23, 160, 134};
    QColor m_ringBgColor{250, 250, 250};
    QColor m_circleColor{240, 240, 240};
    int m_ringValue1 = 10;
    int m_ringValue2 = 30;
    int m_ringValue3 = 70;
    QColor m_ringColor1{24, 189, 155};
    QColor m_ringColor2{255, 192, 0};
    QColor m_ringColor3{255, 107, 107};

    double m_currentValue = 0;
    bool m_increasing = true;
    QTimer *m_timer = nullptr;
};
