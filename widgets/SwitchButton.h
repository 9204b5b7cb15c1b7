#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class QTimer;

// On/off switch with a sliding knob. A press anywhere toggles it; the knob
// jumps to its place, or slides there with `animation` on.
class SwitchButton : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int space READ space WRITE setSpace)
    Q_PROPERTY(int rectRadius READ rectRadius WRITE setRectRadius)
    Q_PROPERTY(bool checked READ checked WRITE setChecked NOTIFY checkedChanged)
    Q_PROPERTY(bool showText READ showText WRITE setShowText)
    Q_PROPERTY(bool showCircle READ showCircle WRITE setShowCircle)
    Q_PROPERTY(bool animation READ animation WRITE setAnimation)
    Q_PROPERTY(ButtonStyle buttonStyle READ buttonStyle WRITE setButtonStyle)
    Q_PROPERTY(QColor bgColorOff READ bgColorOff WRITE setBgColorOff)
    Q_PROPERTY(QColor bgColorOn READ bgColorOn WRITE setBgColorOn)
    Q_PROPERTY(QColor sliderColorOff READ sliderColorOff WRITE setSliderColorOff)
    Q_PROPERTY(QColor sliderColorOn READ sliderColorOn WRITE setSliderColorOn)
    Q_PROPERTY(QColor textColorOff READ textColorOff WRITE setTextColorOff)
    Q_PROPERTY(QColor textColorOn READ textColorOn WRITE setTextColorOn)
    // Read straight from the public members of the same name.
    Q_PROPERTY(QString textOff MEMBER textOff WRITE setTextOff)
    Q_PROPERTY(QString textOn MEMBER textOn WRITE setTextOn)

public:
    enum ButtonStyle {
        ButtonStyle_Rect = 0,
        ButtonStyle_CircleIn = 1,
        ButtonStyle_CircleOut = 2
    };
    Q_ENUM(ButtonStyle)

    explicit SwitchButton(QWidget *parent = nullptr);
    ~SwitchButton() override;

    // Texts painted on the track; the language switch assigns them directly and
    // they show at the next repaint.
    QString textOff;
    QString textOn;

    int space() const { return m_space; }
    int rectRadius() const { return m_rectRadius; }
    bool checked() const { return m_checked; }
    bool showText() const { return m_showText; }
    bool showCircle() const { return m_showCircle; }
    bool animation() const { return m_animation; }
    ButtonStyle buttonStyle() const { return m_buttonStyle; }
    QColor bgColorOff() const { return m_bgColorOff; }
    QColor bgColorOn() const { return m_bgColorOn; }
    QColor sliderColorOff() const { return m_sliderColorOff; }
    QColor sliderColorOn() const { return m_sliderColorOn; }
    QColor textColorOff() const { return m_textColorOff; }
    QColor textColorOn() const { return m_textColorOn; }

    // Current knob offset from the left edge, and the offset it is heading for.
    int knobOffset() const { return m_startX; }
    int knobTarget() const { return m_endX; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void setSpace(int space);
    void setRectRadius(int rectRadius);
    // Toggles through the press logic, so checkedChanged is emitted. A switch
    // that has never been resized toggles 10 ms later.
    void setChecked(bool checked);
    void setShowText(bool showText);
    void setShowCircle(bool showCircle);
    void setAnimation(bool animation);
    void setButtonStyle(SwitchButton::ButtonStyle buttonStyle);
    void setBgColorOff(const QColor &color);
    void setBgColorOn(const QColor &color);
    void setSliderColorOff(const QColor &color);
    void setSliderColorOn(const QColor &color);
    void setTextColorOff(const QColor &color);
    void setTextColorOn(const QColor &color);
    void setTextOff(const QString &text);
    void setTextOn(const QString &text);

Q_SIGNALS:
    void checkedChanged(bool checked);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private Q_SLOTS:
    void updateValue();
    void change();

private:
    void toggle();
    int checkedTarget() const;
    void setColor(QColor &member, const QColor &color);

    int m_space = 2;
    int m_rectRadius = 5;
    bool m_checked = false;
    bool m_showText = true;
    bool m_showCircle = false;
    bool m_animation = false;
    ButtonStyle m_buttonStyle = ButtonStyle_CircleIn;
    QColor m_bgColorOff{111, 122, 126};
    QColor m_bgColorOn{21, 156, 119};
    QColor m_sliderColorOff{255, 255, 255};
    QColor m_sliderColorOn{255, 255, 255};
    QColor m_textColorOff{250, 250, 250};
    QColor m_textColorOn{255, 255, 255};

    int m_step = 0;
    int m_startX = 0;
    int m_endX = 0;
    bool m_changePending = false;
    bool m_pendingChecked = false;
    QTimer *m_timer = nullptr;
};
