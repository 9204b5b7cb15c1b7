#pragma once

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QSlider>
#include <QString>

#include "widgets/NavLabel.h"

// Horizontal slider that jumps to the clicked position, emits clicked() for
// that click and can show its value in a floating NavLabel tip while pressed.
class SliderTip : public QSlider
{
    Q_OBJECT
    Q_PROPERTY(int borderRadius READ borderRadius WRITE setBorderRadius)
    Q_PROPERTY(int arrowSize READ arrowSize WRITE setArrowSize)
    Q_PROPERTY(ArrowStyle arrowStyle READ arrowStyle WRITE setArrowStyle)
    Q_PROPERTY(QColor background READ background WRITE setBackground)
    Q_PROPERTY(QColor foreground READ foreground WRITE setForeground)
    Q_PROPERTY(int labTipWidth READ labTipWidth WRITE setLabTipWidth)
    Q_PROPERTY(int labTipHeight READ labTipHeight WRITE setLabTipHeight)
    Q_PROPERTY(QFont labTipFont READ labTipFont WRITE setLabTipFont)
    Q_PROPERTY(bool showTime READ showTime WRITE setShowTime)
    Q_PROPERTY(bool clickEnable READ clickEnable WRITE setClickEnable)
    Q_PROPERTY(QString unit READ unit WRITE setUnit)

public:
    enum ArrowStyle {
        ArrowStyle_Left = 0,
        ArrowStyle_Right = 1,
        ArrowStyle_Top = 2,
        ArrowStyle_Bottom = 3
    };
    Q_ENUM(ArrowStyle)

    explicit SliderTip(QWidget *parent = nullptr);
    ~SliderTip() override;

    int borderRadius() const { return m_borderRadius; }
    int arrowSize() const { return m_arrowSize; }
    ArrowStyle arrowStyle() const { return m_arrowStyle; }
    QColor background() const { return m_background; }
    QColor foreground() const { return m_foreground; }
    int labTipWidth() const { return m_labTipWidth; }
    int labTipHeight() const { return m_labTipHeight; }
    QFont labTipFont() const { return m_labTipFont; }
    bool showTime() const { return m_showTime; }
    bool clickEnable() const { return m_clickEnable; }
    QString unit() const { return m_unit; }

    // Whether a press shows the tip (set by setTipVisable).
    bool tipVisable() const { return m_tipVisable; }
    // The floating tip window (no parent; lives as long as the slider).
    NavLabel *labTip() const { return m_labTip; }
    // The text the tip shows for the current value.
    QString tipText() const;

public Q_SLOTS:
    void setBorderRadius(int borderRadius);
    void setArrowSize(int arrowSize);
    void setArrowStyle(SliderTip::ArrowStyle arrowStyle);
    void setBackground(const QColor &color);
    void setForeground(const QColor &color);
    void setLabTipWidth(int labTipWidth);
    void setLabTipHeight(int labTipHeight);
    void setLabTipFont(const QFont &font);
    void setShowTime(bool showTime);
    void setClickEnable(bool clickEnable);
    void setUnit(const QString &unit);
    // Stores the flag only; the tip shows at the next press.
    void setTipVisable(bool showEnable);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    int m_borderRadius = 5;
    int m_arrowSize = 5;
    ArrowStyle m_arrowStyle = ArrowStyle_Bottom;
    QColor m_background{100, 184, 255};
    QColor m_foreground{255, 255, 255};
    int m_labTipWidth = 50;
    int m_labTipHeight = 30;
    QFont m_labTipFont;
    bool m_showTime = false;
    bool m_clickEnable = true;
    QString m_unit;
    bool m_tipVisable = false;
    QPointer<NavLabel> m_labTip;
};
