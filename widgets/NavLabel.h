#pragma once

#include <QColor>
#include <QLabel>
#include <QRect>

// Label on a rounded background with an optional arrow on one side and an
// optional triangle marker; SliderTip uses it as its floating tip.
class NavLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(int borderRadius READ borderRadius WRITE setBorderRadius)
    Q_PROPERTY(QColor background READ background WRITE setBackground)
    Q_PROPERTY(QColor foreground READ foreground WRITE setForeground)
    Q_PROPERTY(bool showArrow READ showArrow WRITE setShowArrow)
    Q_PROPERTY(int arrowSize READ arrowSize WRITE setArrowSize)
    Q_PROPERTY(ArrowPosition arrowPosition READ arrowPosition WRITE setArrowPosition)
    Q_PROPERTY(bool showTriangle READ showTriangle WRITE setShowTriangle)
    Q_PROPERTY(int triangleLen READ triangleLen WRITE setTriangleLen)
    Q_PROPERTY(TrianglePosition trianglePosition READ trianglePosition WRITE setTrianglePosition)
    Q_PROPERTY(QColor triangleColor READ triangleColor WRITE setTriangleColor)

public:
    enum ArrowPosition {
        ArrowPosition_Left = 0,
        ArrowPosition_Right = 1,
        ArrowPosition_Top = 2,
        ArrowPosition_Bottom = 3
    };
    Q_ENUM(ArrowPosition)

    enum TrianglePosition {
        TrianglePosition_Left = 0,
        TrianglePosition_Right = 1,
        TrianglePosition_Top = 2,
        TrianglePosition_Bottom = 3
    };
    Q_ENUM(TrianglePosition)

    explicit NavLabel(QWidget *parent = nullptr);
    ~NavLabel() override;

    int borderRadius() const { return m_borderRadius; }
    QColor background() const { return m_background; }
    QColor foreground() const { return m_foreground; }
    bool showArrow() const { return m_showArrow; }
    int arrowSize() const { return m_arrowSize; }
    ArrowPosition arrowPosition() const { return m_arrowPosition; }
    bool showTriangle() const { return m_showTriangle; }
    int triangleLen() const { return m_triangleLen; }
    TrianglePosition trianglePosition() const { return m_trianglePosition; }
    QColor triangleColor() const { return m_triangleColor; }

    // The rounded background rectangle of the last paint (the text is centred
    // in it); the widget's rectangle before the first paint.
    QRect backgroundRect() const { return m_bgRect; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void setBorderRadius(int borderRadius);
    void setBackground(const QColor &color);
    void setForeground(const QColor &color);
    void setShowArrow(bool showArrow);
    void setArrowSize(int arrowSize);
    void setArrowPosition(NavLabel::ArrowPosition arrowPosition);
    void setShowTriangle(bool showTriangle);
    void setTriangleLen(int triangleLen);
    void setTrianglePosition(NavLabel::TrianglePosition trianglePosition);
    void setTriangleColor(const QColor &color);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void setColor(QColor &member, const QColor &color);

    int m_borderRadius = 5;
    QColor m_background{100, 184, 255};
    QColor m_foreground{255, 255, 255};
    bool m_showArrow = true;
    int m_arrowSize = 5;
    ArrowPosition m_arrowPosition = ArrowPosition_Right;
    bool m_showTriangle = false;
    int m_triangleLen = 5;
    TrianglePosition m_trianglePosition = TrianglePosition_Left;
    QColor m_triangleColor{255, 255, 255};
    QRect m_bgRect;
};
